#ifndef _WIN32

#include <QApplication>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QWidget>
#include <cstdlib>
#include <iostream>

#include "launcher/prompter.h"

namespace tavrin::launcher {

namespace {

QString Qt8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The status window: a small captioned window with the step's text centred on one line.
class StatusWindow : public QWidget {
 public:
  StatusWindow() {
    setObjectName("Prompt setup");
    setWindowTitle(Qt8(LauncherString(2009)));
    setFixedSize(300, 85);
    setCursor(Qt::WaitCursor);
    setAutoFillBackground(true);
    setPalette(QApplication::palette());
  }
  void SetText(const QString& text) {
    m_text = text.left(259);
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, m_text);
  }

 private:
  QString m_text;
};

QMessageBox::Icon IconOf(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::Stop:
      return QMessageBox::Critical;
    case BoxIcon::Question:
      return QMessageBox::Question;
    case BoxIcon::Exclamation:
      return QMessageBox::Warning;
    case BoxIcon::Information:
      break;
  }
  return QMessageBox::Information;
}

// The platforms to try for the windows, the one that shows nothing last: Qt ends the process
// when no platform of its list starts, and a display named in the environment may be gone.
QByteArray PlatformsWithAFallback() {
  QByteArray platforms = qgetenv("QT_QPA_PLATFORM");
  if (platforms.isEmpty()) {
    // Those of the displays the environment names, X first as Qt has it here.
    if (!qgetenv("DISPLAY").isEmpty()) platforms += "xcb;";
    if (!qgetenv("WAYLAND_DISPLAY").isEmpty()) platforms += "wayland;";
  } else {
    platforms += ';';
  }
  return platforms + "offscreen";
}

// Platforms whose windows nobody sees, and whose message boxes nobody could ever answer.
bool ShowsNothing(const QString& platform) {
  return platform == "offscreen" || platform == "minimal";
}

// The application object is made at the first message, so that a run that shows nothing
// does not pay for it. When it finds no display to show windows on, everything goes to the
// text prompter instead, as it does without a display.
class QtPrompter : public LauncherPrompter {
 public:
  QtPrompter(int& argc, char** argv) : m_argc(argc), m_argv(argv) {}

  bool Ask(int captionId, const std::string& text, BoxIcon icon, bool noIsDefault) override {
    if (LauncherPrompter* fallback = TextFallback())
      return fallback->Ask(captionId, text, icon, noIsDefault);
    QMessageBox box(IconOf(icon), Qt8(LauncherString(captionId)), Qt8(text),
                    QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(noIsDefault ? QMessageBox::No : QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
  }
  void Tell(int captionId, const std::string& text, BoxIcon icon) override {
    if (LauncherPrompter* fallback = TextFallback()) return fallback->Tell(captionId, text, icon);
    QMessageBox box(IconOf(icon), Qt8(LauncherString(captionId)), Qt8(text), QMessageBox::Ok);
    box.exec();
  }
  void CreateStatus() override {
    if (TextFallback() != nullptr) return;
    m_status = std::make_unique<StatusWindow>();
    const QRect screen = QApplication::primaryScreen()->availableGeometry();
    m_status->move(screen.center() - m_status->rect().center());
  }
  void ShowStatus(const std::string& text) override {
    if (m_text) m_text->ShowStatus(text);
    if (!m_status) return;
    m_status->SetText(Qt8(text));
    m_status->show();
    m_status->repaint();
  }
  void DestroyStatus() override { m_status.reset(); }
  void ProcessMessages() override {
    if (m_application && !m_text) QApplication::processEvents();
  }

 private:
  // Makes the application object at the first call; the text prompter when it shows nothing.
  LauncherPrompter* TextFallback() {
    if (!m_application) {
      // The fallback is for this process only: the programs it starts see the environment
      // as it was.
      const QByteArray asked = qgetenv("QT_QPA_PLATFORM");
      const bool wasSet = qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
      qputenv("QT_QPA_PLATFORM", PlatformsWithAFallback());
      m_application = std::make_unique<QApplication>(m_argc, m_argv);
      if (wasSet) {
        qputenv("QT_QPA_PLATFORM", asked);
      } else {
        qunsetenv("QT_QPA_PLATFORM");
      }
      if (ShowsNothing(QGuiApplication::platformName())) {
        m_text = std::make_unique<TextPrompter>(std::vector<bool>{}, std::cerr);
      }
    }
    return m_text.get();
  }

  int& m_argc;
  char** m_argv;
  std::unique_ptr<QApplication> m_application;
  std::unique_ptr<TextPrompter> m_text;
  std::unique_ptr<StatusWindow> m_status;
};

}  // namespace

void SayOnCommandLine(const std::string& text, bool error) {
  (error ? std::cerr : std::cout) << text << std::flush;
}

std::unique_ptr<LauncherPrompter> MakeWindowPrompter(int& argc, char** argv) {
  const char* x = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  const bool display = (x != nullptr && *x != '\0') || (wayland != nullptr && *wayland != '\0');
  if (!display) return nullptr;
  return std::make_unique<QtPrompter>(argc, argv);
}

}  // namespace tavrin::launcher

#endif
