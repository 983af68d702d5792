#pragma once
// The script boxes of the panel and of the editor window: their text as the
// core's search reads it, selections, and the find with its history.
#include <string>

class QComboBox;
class QPlainTextEdit;

namespace tesmiro::gui {

std::u16string EditorString(const QPlainTextEdit* text);
void Select(QPlainTextEdit* text, int start, int length);

// Finds the box's term after the selection and selects it (the status line
// says when it is not there), then keeps the term in the box's history. An
// empty term does nothing and answers false.
bool FindNextAndRemember(QPlainTextEdit* text, QComboBox* terms);

}  // namespace tesmiro::gui
