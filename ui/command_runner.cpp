#include "ui/command_runner.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace tavrin {

namespace {

class ButtonHolder : public CommandWatcher {
 public:
  explicit ButtonHolder(QPushButton* button) : m_button(button) {}
  void LinkOpened() override {
    if (m_button) m_button->setEnabled(false);
  }
  void LinkClosed() override {
    if (m_button) m_button->setEnabled(true);
  }

 private:
  QPointer<QPushButton> m_button;
};

}  // namespace

void QtWaiter::WaitMs(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
  loop.exec();
}

void KeepWindowsResponsive(SignLink& link) {
  link.SetIdle([] { QCoreApplication::processEvents(QEventLoop::AllEvents); });
}

void ProgressBarSink::SetMaximum(int maximum) {
  if (m_bar) m_bar->setMaximum(maximum);
}

void ProgressBarSink::SetPosition(int position) {
  if (!m_bar) return;
  m_bar->setValue(position);
  // The frame goes out in one write: let the bar show as it moves.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

PlanResult RunHoldingButton(SignRoad& road, const SignPlan& plan, QPushButton* button,
                            ProgressSink* progress) {
  ButtonHolder holder(button);
  return road.Run(plan, progress, &holder);
}

}  // namespace tavrin
