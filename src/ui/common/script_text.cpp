#include "ui/common/script_text.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <vector>

#include "platform/ui.h"
#include "project/script_editor.h"
#include "project/sorting.h"
#include "ui/common/qt_text.h"

namespace tesmiro::gui {

namespace SE = ScriptEditorModule;

std::u16string EditorString(const QPlainTextEdit* text) { return text->toPlainText().toStdU16String(); }

void Select(QPlainTextEdit* text, int start, int length) {
  QTextCursor c = text->textCursor();
  c.setPosition(start);
  c.setPosition(start + length, QTextCursor::KeepAnchor);
  text->setTextCursor(c);
}

bool FindNextAndRemember(QPlainTextEdit* text, QComboBox* terms) {
  const QString term = terms->currentText();
  // Enter in an empty box searches nothing and keeps no empty entry.
  if (term.isEmpty()) return false;
  const int found = SE::FindInEditorText(EditorString(text), term.toStdU16String(), text->textCursor().selectionEnd());
  if (found >= 0) {
    Select(text, found, static_cast<int>(term.size()));
    text->setFocus();
  } else {
    ui::Current().messages->status(GUICore::kNoSearchResultText);
  }
  std::vector<std::string> history;
  for (int i = 0; i < terms->count(); ++i) history.push_back(FromQ(terms->itemText(i)));
  if (SE::RememberSearchTerm(history, FromQ(term))) {
    terms->addItem(term);
    terms->setEditText(term);
  }
  return true;
}

}  // namespace tesmiro::gui
