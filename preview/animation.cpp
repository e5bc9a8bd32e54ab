#include "preview/animation.h"

#include <algorithm>
#include <functional>
#include <memory>

#include "common/ascii.h"
#include "preview/line_renderer.h"

namespace tavrin::preview {

std::vector<Shown> Animation::All() const {
  std::vector<Shown> all = entry;
  all.insert(all.end(), hold.begin(), hold.end());
  all.insert(all.end(), exit.begin(), exit.end());
  return all;
}

int Animation::TotalMs() const {
  int ms = 0;
  for (const std::vector<Shown>* part : {&entry, &hold, &exit}) {
    for (const Shown& s : *part) ms += s.ms;
  }
  return ms;
}

namespace {

// The effect letter in upper case: "<Fc>" and "<FC>" are the same curtain.
char EffectLetter(const std::string& code) {
  if (code.size() != 4 || code[0] != '<' || code[1] != 'F' || code[3] != '>') return 'A';
  return AsciiUpper(code[2]);
}

// The rows the line uses: the first line, or both when it reaches the second.
int RowsUsed(const LedFrame& f) {
  for (int y = f.height - 1; y >= kLineRows; --y) {
    for (int x = 0; x < f.width; ++x) {
      if (f.At(x, y) != '.') return f.height;
    }
  }
  return kLineRows;
}

// The sign showing the still line moved by (dx, dy) within the rows it uses, with only the
// cells visible() allows.
LedFrame View(const LedFrame& still, int signWidth, int dx, int dy,
              const std::function<bool(int x, int y)>& visible = {}) {
  LedFrame f(signWidth, kSignRows);
  const int rows = RowsUsed(still);
  for (int y = 0; y < rows; ++y) {
    for (int x = 0; x < signWidth; ++x) {
      if (visible && !visible(x, y)) continue;
      f.Set(x, y, still.At(x - dx, y - dy));
    }
  }
  return f;
}

// Where the line stands while held: its start, or for a line scrolling in from the right that
// is wider than the sign, its end.
int RestOffset(int lineWidth, int signWidth, const std::string& entryEffect) {
  return EffectLetter(entryEffect) == 'E' && lineWidth > signWidth ? signWidth - lineWidth : 0;
}

// A number for a cell that looks random and is the same every time.
int Scatter(int x, int y) {
  unsigned h = static_cast<unsigned>(x) * 73856093u ^ static_cast<unsigned>(y) * 19349663u;
  h ^= h >> 13;
  h *= 0x5bd1e995u;
  return static_cast<int>((h ^ (h >> 15)) & 0x7fffffff);
}

}  // namespace

int StepMs(char speed) {
  switch (speed) {
    case '0':
      return 80;
    case '1':
      return 50;
    case '2':
      return 30;
    default:
      return 15;
  }
}

int WaitMs(const std::string& waitCode) {
  if (waitCode.size() != 4 || waitCode[2] < 'A' || waitCode[2] > 'Z') return 2000;
  const int index = waitCode[2] - 'A';
  return index == 0 ? 500 : index * 1000;
}

bool IsScrollingEffect(const std::string& code) {
  const char e = EffectLetter(code);
  return e == 'E' || e == 'F';
}

bool IsAnimatedEffect(const std::string& code) {
  const char e = EffectLetter(code);
  return e == 'B' || e == 'C' || e == 'D' || e == 'E' || e == 'F' || e == 'G' || e == 'H' ||
         e == 'I' || e == 'J' || e == 'L' || e == 'M';
}

namespace {

// Snow at step t: each lit dot of the line at rest falls, after a scattered delay of up to
// 8 steps, a row a step: coming on, from the top row down to its place; leaving, from its
// place down and out at the bottom of the rows the line uses.
LedFrame SnowPicture(const LedFrame& rest, int rows, int t, bool leaving) {
  LedFrame f(rest.width, kSignRows);
  for (int y = 0; y < rows; ++y) {
    for (int x = 0; x < rest.width; ++x) {
      const char cell = rest.At(x, y);
      if (cell == '.') continue;
      const int fall = t - Scatter(x, y) % 8;
      if (fall > 0) {
        const int to = leaving ? y + fall : std::min(y, fall - 1);
        if (to < rows) f.Set(x, to, cell);
      } else if (leaving) {
        f.Set(x, y, cell);
      }
    }
  }
  return f;
}

// Draws the pictures of one line's showing on one sign: each entry or exit effect is a series
// of pictures drawn when they are played.
class Motion {
 public:
  Motion(const LedFrame& still, int signWidth, const LineEffects& effects)
      : m_still(std::make_shared<const LedFrame>(still)),
        m_signWidth(signWidth),
        m_step(StepMs(effects.speed)),
        m_rows(RowsUsed(still)),
        m_width(still.width),
        m_shownWidth(std::min(still.width, signWidth)),
        m_restX(RestOffset(still.width, signWidth, effects.entry)) {}

  // The line moved by (dx, dy).
  std::function<LedFrame()> At(int dx, int dy) const {
    return [still = m_still, w = m_signWidth, dx, dy] { return View(*still, w, dx, dy); };
  }
  // The line where it stands while held.
  std::function<LedFrame()> Rest() const { return At(m_restX, 0); }
  std::function<LedFrame()> Dark() const {
    return [w = m_signWidth] { return LedFrame(w, kSignRows); };
  }

  // The pictures of an effect coming on (into the hold) or, leaving, going to a dark sign.
  void Effect(std::vector<Shown>& into, char e, bool leaving) const {
    const int rows = m_rows;
    const int centre = m_shownWidth / 2;
    switch (e) {
      case 'B':  // Xopen: from the middle column out
        Reveal(into, (m_shownWidth + 1) / 2, leaving,
               [=](int k, int, int x, int) { return x >= centre - k && x < centre + k; });
        break;
      case 'C':  // Curtain Up: from the bottom row up
        Reveal(into, rows, leaving, [=](int k, int, int, int y) { return y >= rows - k; });
        break;
      case 'D':  // Curtain Down: from the top row down
        Reveal(into, rows, leaving, [](int k, int, int, int y) { return y < k; });
        break;
      case 'G':  // Vopen: from the middle row out
        Reveal(into, (rows + 1) / 2, leaving,
               [=](int k, int, int, int y) { return y >= rows / 2 - k && y < rows / 2 + k; });
        break;
      case 'H':  // Vclose: from the top and bottom rows in
        Reveal(into, (rows + 1) / 2, leaving,
               [=](int k, int, int, int y) { return y < k || y >= rows - k; });
        break;
      case 'M':  // Twinkle: dot by dot, in scattered order
        Reveal(into, 12, leaving, [](int k, int n, int x, int y) { return Scatter(x, y) % n < k; });
        break;
      case 'E':  // Scroll Left: in from the right, out to the left
        if (!leaving) {
          Slide(into, m_signWidth - 1, m_restX, -1, true);
        } else {
          Slide(into, m_restX - 1, -m_width, -1, true);
        }
        break;
      case 'F':  // Scroll Right: in from the left, out to the right
        if (!leaving) {
          Slide(into, -m_shownWidth + 1, m_restX, 1, true);
        } else {
          Slide(into, m_restX + 1, m_signWidth, 1, true);
        }
        break;
      case 'I':  // Scroll Up: in from below, out at the top
        if (!leaving) {
          Slide(into, rows - 1, 0, -1, false);
        } else {
          Slide(into, -1, -rows, -1, false);
        }
        break;
      case 'J':  // Scroll Down: in from above, out at the bottom
        if (!leaving) {
          Slide(into, -rows + 1, 0, 1, false);
        } else {
          Slide(into, 1, rows, 1, false);
        }
        break;
      case 'L':  // Snow
        Snow(into, leaving);
        break;
      default:  // at once
        Push(into, leaving ? Dark() : Rest());
        break;
    }
  }

 private:
  void Push(std::vector<Shown>& into, std::function<LedFrame()> draw) const {
    into.push_back({std::move(draw), m_step});
  }

  // The line at rest, cells coming on as shown(k, n, x, y) allows at step k of n (k = n shows
  // all); leaving, the same steps backwards and then a dark sign.
  using Shows = std::function<bool(int k, int n, int x, int y)>;
  void Reveal(std::vector<Shown>& into, int n, bool leaving, Shows shown) const {
    const auto at = [this, n, shown](int k) {
      return [still = m_still, w = m_signWidth, dx = m_restX, shown, k, n] {
        return View(*still, w, dx, 0, [&](int x, int y) { return shown(k, n, x, y); });
      };
    };
    if (!leaving) {
      for (int k = 1; k <= n; ++k) Push(into, at(k));
      return;
    }
    for (int k = n - 1; k >= 1; --k) Push(into, at(k));
    Push(into, Dark());
  }

  // The line moved a column (across) or a row at a time, by step (1 or -1), from one offset
  // through another; nothing when the other lies behind the first.
  void Slide(std::vector<Shown>& into, int from, int to, int step, bool across) const {
    for (int d = from; step > 0 ? d <= to : d >= to; d += step) {
      Push(into, across ? At(d, 0) : At(m_restX, d));
    }
  }

  // Every dot falls from the top to its place, or from its place out at the bottom.
  void Snow(std::vector<Shown>& into, bool leaving) const {
    const int steps = m_rows + 8;
    for (int t = 1; t <= steps; ++t) {
      Push(into,
           [still = m_still, w = m_signWidth, dx = m_restX, rows = m_rows, t, steps, leaving] {
             const LedFrame rest = View(*still, w, dx, 0);
             return !leaving && t == steps ? rest : SnowPicture(rest, rows, t, leaving);
           });
    }
    if (leaving) Push(into, Dark());
  }

  std::shared_ptr<const LedFrame> m_still;
  int m_signWidth;
  int m_step;
  int m_rows;
  int m_width;
  int m_shownWidth;
  int m_restX;
};

}  // namespace

LedFrame HeldPicture(const LedFrame& still, int signWidth, const std::string& entryEffect) {
  return View(still, signWidth, RestOffset(still.width, signWidth, entryEffect), 0);
}

Animation Animate(const LedFrame& still, int signWidth, const LineEffects& effects) {
  const Motion motion(still, signWidth, effects);
  Animation a;
  motion.Effect(a.entry, EffectLetter(effects.entry), false);

  // The hold: the line as it stands, blinking in the blinking mode.
  const int wait = WaitMs(effects.wait);
  if (effects.mode == "<MB>") {
    for (int t = 0; t < wait; t += 500) {
      a.hold.push_back(
          {(t / 500) % 2 == 0 ? motion.Rest() : motion.Dark(), std::min(500, wait - t)});
    }
  } else {
    a.hold.push_back({motion.Rest(), wait});
  }
  motion.Effect(a.exit, EffectLetter(effects.exit), true);
  return a;
}

}  // namespace tavrin::preview
