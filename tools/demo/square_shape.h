#pragma once
// A filled square drawn with the writer's byte layer: the demonstration
// movie's only picture until the vector materials can be used.
#include <cstdint>

namespace tesmiro::demo {

// DefineShape `id`: a square of `size` twips with its corner at 0,0.
void WriteSquareShape(int32_t id, int32_t size, uint8_t r, uint8_t g, uint8_t b);

}  // namespace tesmiro::demo
