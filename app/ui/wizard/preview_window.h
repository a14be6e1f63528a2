#pragma once
// CImageWnd: the scan preview of the wizard's scan settings and image
// processing pages. The preview file is read and brought down to the window's
// size once, on a worker thread of the window's own; every change of the
// settings redraws that small copy there too, the newest request replacing any
// that has not started, so a slider drag never waits for a redraw it has
// already overtaken and the window thread only paints the finished image.
#include <QImage>
#include <QWidget>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "app/core/wizard/preview_view.h"

namespace ostrel {

class CImageWnd : public QWidget {
  Q_OBJECT

 public:
  // The largest image the worker keeps: twice a 100 % window, so a 200 % screen
  // still shows one image pixel per screen pixel.
  static constexpr int kWorkingWidth = 720;
  static constexpr int kWorkingHeight = 1000;

  CImageWnd(int scannerMaxWidth, int scannerMaxLength, QWidget* parent = nullptr);
  ~CImageWnd() override;

  // Replaces the image with the file's (none when it cannot be read).
  void loadFile(const std::string& path);
  void setValues(const wizard::PreviewValues& values);
  const wizard::PreviewValues& values() const { return values_; }

  bool hasImage() const { return !shown_.isNull(); }
  // The processed image the window paints (at the working size).
  const QImage& shownImage() const { return shown_; }
  QSize sizeHint() const override { return {300, 380}; }

 signals:
  // A redraw of the newest settings has been painted (or the image is gone).
  void redrawn();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  struct Work {
    std::optional<std::string> load;
    std::optional<wizard::PreviewValues> values;
  };
  void serve(std::stop_token stop);

  int maxWidth_, maxLength_;
  wizard::PreviewValues values_;
  QImage shown_;
  int shownDpi_ = 100;

  std::mutex mutex_;
  std::condition_variable_any wake_;
  Work work_;
  std::jthread worker_;
};

}  // namespace ostrel
