#pragma once
// A number field with its spin buttons: the field is a plain line edit, so the
// page's own rules decide what a typed value turns into when the field is left
// (a spin box would refuse "150" key by key); the arrows step the number within
// their range and write it back with the page's format.
#include <QWidget>
#include <functional>

class QLineEdit;
class QToolButton;

namespace ostrel {

class SpinField : public QWidget {
  Q_OBJECT

 public:
  using Format = std::function<QString(int position)>;
  using Parse = std::function<int(const QString& text)>;
  SpinField(int minimum, int maximum, int position, QWidget* parent, Format format = {}, Parse parse = {});

  QLineEdit* field() const { return field_; }
  int position() const;
  void setPosition(int position);

 signals:
  // The arrows moved the number.
  void stepped();

 private:
  void step(int by);

  int minimum_, maximum_;
  Format format_;
  Parse parse_;
  QLineEdit* field_;
  QToolButton* up_;
  QToolButton* down_;
};

}  // namespace ostrel
