// The yardstick of Tavrin's start: a bare Qt main window, shown, and the program ends, as
// "Tavrin --exit-when-shown" does. Compare the two as whole processes (time and peak memory).
#include <QApplication>
#include <QMainWindow>
#include <QTimer>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QMainWindow window;
  window.show();
  QTimer::singleShot(0, &app, &QApplication::quit);
  return QApplication::exec();
}
