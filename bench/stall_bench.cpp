// The longest time the windows' event loop stands still while a command runs beside it: a
// send to a sign that never answers (three read time-outs), and a transfer of 192 user
// characters, each drawn into the European table as the sign takes it; and the same program with
// nothing under way, the floor that the machine's scheduler and X server set. A timer ticks
// every millisecond; the longest gap between two ticks is the stall.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

#include "app/Tavrin.h"
#include "tests/support/pty_peer.h"
#include "tests/support/road_qt.h"

namespace {

namespace fs = std::filesystem;

class QuietNotice : public tavrin::Notice {
 public:
  tavrin::NoticeAnswer Show(tavrin::NoticeKind, tavrin::NoticeButtons,
                            const std::string&) override {
    return tavrin::NoticeAnswer::Ok;
  }
};

// The program on a scratch folder, its COM1 on the given sign.
struct Program {
  explicit Program(const std::string& device) {
    std::string tmpl = (fs::temp_directory_path() / "tavrin-bench-XXXXXX").string();
    if (::mkdtemp(tmpl.data()) == nullptr) std::abort();
    home = tmpl;
    std::ofstream(home / "Tavrin.INI")
        << "[Sign]\r\nshowform=0\r\ncomport=1\r\n[Ports]\r\nCOM1=" << device << "\r\n";
    app = std::make_unique<tavrin::TavrinApp>(home);
    app->Form1().SetNotice(&notice);
    app->Form1().show();
    // The first paint is the start's, not the command's.
    if (!QTest::qWaitForWindowExposed(&app->Form1())) std::abort();
    QTest::qWait(200);
  }
  ~Program() {
    app.reset();
    fs::remove_all(home);
  }
  fs::path home;
  QuietNotice notice;
  std::unique_ptr<tavrin::TavrinApp> app;
};

// Measures the event loop while `during` runs it: the longest gap between two ticks of a 1 ms
// timer, when it ended and how long the whole took.
void MeasureStall(benchmark::State& state, const std::function<void()>& during) {
  for (auto _ : state) {
    QElapsedTimer clock;
    qint64 last = 0, longest = 0, longestAt = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
      if (clock.elapsed() - last > longest) {
        longest = clock.elapsed() - last;
        longestAt = clock.elapsed();
      }
      last = clock.elapsed();
    });
    clock.start();
    ticker.start();
    during();
    state.counters["longest_stall_ms"] = static_cast<double>(longest);
    state.counters["stall_ended_at_ms"] = static_cast<double>(longestAt);
    state.counters["command_ms"] = static_cast<double>(clock.elapsed());
  }
}

// Clicks the button and measures the event loop until the road has nothing under way.
void MeasureStall(benchmark::State& state, tavrin::TavrinApp& app, QPushButton* button) {
  MeasureStall(state, [&] {
    button->click();
    tavrin::testing::Settle(app.Form1().Road(), 120000);
  });
}

// The floor: the same program, shown, with nothing under way for as long as a silent send takes.
// Whatever this machine's scheduler and X server cost the loop shows here too.
void BM_LongestStallWhileIdle(benchmark::State& state) {
  tavrin::testing::PtyPeer silentSign([](const std::string&) { return std::string(); });
  Program p(silentSign.Device());
  MeasureStall(state, [] { QTest::qWait(6800); });
}
BENCHMARK(BM_LongestStallWhileIdle)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_LongestStallDuringASilentSend(benchmark::State& state) {
  tavrin::testing::PtyPeer silentSign([](const std::string&) { return std::string(); });
  Program p(silentSign.Device());
  tavrin::TSetID& setId = p.app->SetID();
  setId.PreparePanel(tavrin::TSetID::Panel::SendMessage);
  p.app->Form1().InsertAtCaret("<Red>Hello");
  setId.findChild<QComboBox*>("ComboBox5")->setCurrentIndex(1);
  QTest::qWait(100);
  MeasureStall(state, *p.app, setId.findChild<QPushButton*>("SendMessButton"));
}
BENCHMARK(BM_LongestStallDuringASilentSend)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_LongestStallDuringA192CharacterTransfer(benchmark::State& state) {
  tavrin::testing::PtyPeer sign(tavrin::testing::PtyPeer::Ack);
  Program p(sign.Device());
  tavrin::FontList& fonts = p.app->AppWorkspace().Fonts();
  for (int code = tavrin::kFirstUserCode; code <= tavrin::kLastUserCode; ++code) {
    for (const tavrin::FontSize& size : tavrin::kFontSizes) {
      tavrin::FontEntry& entry = fonts.At(*fonts.Add(code, size.text));
      for (std::size_t i = 0; i < 3; ++i) entry.record.bytes[i] = entry.text[i];
      entry.record.bytes[3] = static_cast<std::uint8_t>(size.letter);
      entry.record.bytes[4] = 0xF8;
    }
  }
  // As the user opens it: "Transfer to Sign..." of the font maker.
  p.app->FontMakefrm().Open();
  p.app->FontMakefrm().findChild<QAction*>("TransfertoSign2")->trigger();
  tavrin::TDeletefrm& transfer = p.app->Deletefrm();
  transfer.findChild<QComboBox*>("ComboBox4")->setCurrentIndex(1);
  QTest::qWait(100);
  MeasureStall(state, *p.app, transfer.findChild<QPushButton*>("TransFont"));
}
BENCHMARK(BM_LongestStallDuringA192CharacterTransfer)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("DISPLAY")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
