// A round gauge: a value between a minimum and a maximum drawn as a pie,
// with a text in the middle: the amount remaining ("%d Mo") or the share
// done ("%d%"). It turns to the alert colour when its reading is on the
// wrong side of its alert value.
#pragma once

#include <QColor>
#include <QWidget>
#include <cstdint>

class TTextGauge : public QWidget {
  Q_OBJECT
 public:
  enum class Kind {
    Remaining,  // text: maximum − value; alert while that is below the alert value
    Percent,    // text: the share of the range done; alert while the value is above it
  };
  static inline const QColor kAlertColour{238, 162, 162};

  TTextGauge(Kind kind, QWidget* parent = nullptr);

  void SetMinimum(std::int64_t minimum);
  void SetMaximum(std::int64_t maximum);
  void SetValue(std::int64_t value);
  void SetAlertValue(std::int64_t alert) { alert_ = alert; update(); }
  std::int64_t minimum() const { return minimum_; }
  std::int64_t maximum() const { return maximum_; }
  std::int64_t value() const { return value_; }

  QString text() const;
  bool alerting() const;
  // 0 to 1: the part of the pie filled.
  double fraction() const;

  QSize sizeHint() const override { return {72, 72}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Kind kind_;
  std::int64_t minimum_ = 0, maximum_ = 100, value_ = 0, alert_ = 0;
};
