#pragma once
// Helpers of the file-list window tests: material files made by the tests'
// own writers, drops from the desktop, mouse events on the list.
#include <QApplication>
#include <QColor>
#include <QImage>
#include <QMimeData>
#include <QTest>
#include <QUrl>
#include <filesystem>
#include <string>
#include <vector>

#include "media/vector/kvg_text.h"
#include "platform/file_io.h"
#include "project/list_models.h"
#include "support/main_gui_fixture.h"
#include "ui/main/main_gui.h"

namespace tesmiro::testing {

using gui::MainGUI;

inline void SaveBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  ASSERT_TRUE(fileio::WriteAtomic(path, bytes));
}

// A PNG of one colour.
inline std::filesystem::path SolidPng(const std::filesystem::path& path, int w, int h, QColor c) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(c);
  image.save(QString::fromStdString(path.string()), "PNG");
  return path;
}

// A KVG file of one filled rectangle covering (x0, y0)-(x1, y1) pixels of a
// w x h image.
inline std::filesystem::path SolidKvg(const std::filesystem::path& path, int w, int h, int x0, int y0, int x1,
                                      int y1, int32_t colour) {
  TestShape s = Rectangle(x0 * 20, y0 * 20, x1 * 20, y1 * 20);
  s.color1 = colour;
  s.outline = 0;
  KvgTextOptions o;
  o.width = w;
  o.height = h;
  const std::string text = KvgText("030", {s}, o);
  SaveBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
  return path;
}

// Files dropped from the desktop at y of the list.
inline void DropFiles(QWidget* list, int y, const std::vector<std::filesystem::path>& files,
                      const std::vector<QUrl>& extra = {}) {
  QMimeData mime;
  QList<QUrl> urls;
  for (const auto& f : files) urls.append(QUrl::fromLocalFile(QString::fromStdString(f.string())));
  for (const auto& u : extra) urls.append(u);
  mime.setUrls(urls);
  const QPointF at(40, y);
  QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(list, &enter);
  QDragMoveEvent move(at.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(list, &move);
  QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(list, &drop);
}

inline std::vector<int32_t> SelectedRows() {
  std::vector<int32_t> rows;
  for (int32_t r = 1; r <= FileListModule::RowCount(); ++r) {
    if (FileListModule::Current().rows.at(r).selected != 0) rows.push_back(r);
  }
  return rows;
}

// The middle of a row of the (unscrolled) list.
inline QPoint RowPoint(int32_t row, int x = 150) { return QPoint(x, (row - 1) * 16 + 8); }

}  // namespace tesmiro::testing
