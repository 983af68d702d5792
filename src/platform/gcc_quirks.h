#pragma once
// GCC 12, optimising hard, follows std::string and std::vector copies of a
// few bytes into paths that cannot run and warns of overlapping or
// overflowing copies there. These wrap the statements it trips on, so that
// the warnings stay errors everywhere else; other compilers see nothing.
#if defined(__GNUC__) && !defined(__clang__) && __GNUC__ == 12
#define TESMIRO_GCC12_COPY_WARNINGS_OFF                        \
  _Pragma("GCC diagnostic push")                               \
  _Pragma("GCC diagnostic ignored \"-Wrestrict\"")             \
  _Pragma("GCC diagnostic ignored \"-Warray-bounds\"")         \
  _Pragma("GCC diagnostic ignored \"-Wstringop-overflow\"")      \
  _Pragma("GCC diagnostic ignored \"-Wstringop-overread\"")
#define TESMIRO_GCC12_COPY_WARNINGS_ON _Pragma("GCC diagnostic pop")
#else
#define TESMIRO_GCC12_COPY_WARNINGS_OFF
#define TESMIRO_GCC12_COPY_WARNINGS_ON
#endif
