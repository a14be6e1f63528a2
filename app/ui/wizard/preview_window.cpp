#include "app/ui/wizard/preview_window.h"

#include <QPainter>
#include <QPalette>
#include <cmath>
#include <utility>

#include "app/ui/dib_image.h"
#include "imaging/image_file_reader.h"
#include "platform/activity_log.h"

namespace ostrel {

CImageWnd::CImageWnd(int scannerMaxWidth, int scannerMaxLength, QWidget* parent)
    : QWidget(parent), maxWidth_(scannerMaxWidth), maxLength_(scannerMaxLength) {
  setObjectName(QStringLiteral("preview"));
  setMinimumSize(200, 250);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  worker_ = std::jthread([this](std::stop_token stop) { serve(std::move(stop)); });
}

CImageWnd::~CImageWnd() {
  worker_.request_stop();
  worker_.join();
}

void CImageWnd::loadFile(const std::string& path) {
  const std::lock_guard lock(mutex_);
  work_.load = path;
  work_.values = values_;
  wake_.notify_one();
}

void CImageWnd::setValues(const wizard::PreviewValues& values) {
  values_ = values;
  const std::lock_guard lock(mutex_);
  work_.values = values;
  wake_.notify_one();
}

void CImageWnd::serve(std::stop_token stop) {
  std::optional<Dib> source;
  while (true) {
    Work work;
    {
      std::unique_lock lock(mutex_);
      if (!wake_.wait(lock, stop, [&] { return work_.load || work_.values; })) return;
      work = std::exchange(work_, Work{});
    }
    if (work.load) {
      std::string error;
      source.reset();
      if (auto image = readImageFile(*work.load, &error)) {
        source = wizard::shrinkForPreview(*image, kWorkingWidth, kWorkingHeight);
      } else {
        Log("The preview " + *work.load + " cannot be shown: " + error);
      }
    }
    QImage shown;
    int dpi = 100;
    if (source) {
      // Scanned at 100 dpi and brought down: the preview's own resolution says
      // how much page a window pixel holds.
      dpi = std::max(1, source->yDpi());
      if (auto processed = ProcessPreview(*source, wizard::previewSettings(*work.values))) {
        shown = toQImage(*processed);
      }
    }
    QMetaObject::invokeMethod(
        this,
        [this, shown = std::move(shown), dpi] {
          shown_ = shown;
          shownDpi_ = dpi;
          update();
          emit redrawn();
        },
        Qt::QueuedConnection);
  }
}

void CImageWnd::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (shown_.isNull()) {
    painter.fillRect(rect(), palette().color(QPalette::Dark));
    return;
  }
  painter.fillRect(rect(), palette().color(QPalette::Button));
  const double scale = wizard::previewScale(shown_.width(), shownDpi_, width(), height());
  const QSizeF drawn(shown_.width() * scale, shown_.height() * scale);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(QRectF(QPointF(0, 0), drawn), shown_);

  const wizard::AreaOutline outline =
      wizard::areaOutline(values_, maxWidth_, maxLength_, scale * shownDpi_ / 300.0, width(), height());
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(QPen(QColor(255, 0, 0), 0));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(QRect(QPoint(outline.left, outline.top), QPoint(outline.right, outline.bottom)));
}

}  // namespace ostrel
