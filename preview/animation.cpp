#include "preview/animation.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <memory>

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
  return static_cast<char>(std::toupper(static_cast<unsigned char>(code[2])));
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

Animation Animate(const LedFrame& stillLine, int signWidth, const LineEffects& effects) {
  Animation a;
  const auto still = std::make_shared<const LedFrame>(stillLine);
  const int step = StepMs(effects.speed);
  const int rows = RowsUsed(*still);
  const int width = still->width;
  const int shownWidth = std::min(width, signWidth);
  // Where the line stands while held: its start, or for a line scrolling in from the right
  // that is wider than the sign, its end.
  const char in = EffectLetter(effects.entry);
  const int restX = in == 'E' && width > signWidth ? signWidth - width : 0;
  const auto view = [still, signWidth](int dx, int dy) {
    return [still, signWidth, dx, dy] { return View(*still, signWidth, dx, dy); };
  };
  const auto dark = [signWidth] { return LedFrame(signWidth, kSignRows); };
  const auto push = [&](std::vector<Shown>& into, std::function<LedFrame()> draw) {
    into.push_back({std::move(draw), step});
  };

  // Reveals: the cells shown at step k of n (k = n shows all).
  using Reveal = std::function<bool(int k, int n, int x, int y)>;
  const auto reveal = [&](std::vector<Shown>& into, int n, Reveal shown, bool backwards) {
    const auto at = [=](int k) {
      return [=] {
        return View(*still, signWidth, restX, 0, [&](int x, int y) { return shown(k, n, x, y); });
      };
    };
    if (!backwards) {
      for (int k = 1; k <= n; ++k) push(into, at(k));
    } else {
      for (int k = n - 1; k >= 1; --k) push(into, at(k));
      push(into, dark);
    }
  };
  const int half = (shownWidth + 1) / 2;
  const int centre = shownWidth / 2;
  const auto effect = [&](std::vector<Shown>& into, char e, bool leaving) {
    switch (e) {
      case 'B':  // Xopen: from the middle column out
        reveal(
            into, half, [=](int k, int, int x, int) { return x >= centre - k && x < centre + k; },
            leaving);
        break;
      case 'C':  // Curtain Up: from the bottom row up
        reveal(
            into, rows, [=](int k, int, int, int y) { return y >= rows - k; }, leaving);
        break;
      case 'D':  // Curtain Down: from the top row down
        reveal(
            into, rows, [](int k, int, int, int y) { return y < k; }, leaving);
        break;
      case 'G':  // Vopen: from the middle row out
        reveal(
            into, (rows + 1) / 2,
            [=](int k, int, int, int y) { return y >= rows / 2 - k && y < rows / 2 + k; }, leaving);
        break;
      case 'H':  // Vclose: from the top and bottom rows in
        reveal(
            into, (rows + 1) / 2, [=](int k, int, int, int y) { return y < k || y >= rows - k; },
            leaving);
        break;
      case 'M':  // Twinkle: dot by dot, in scattered order
        reveal(
            into, 12, [](int k, int n, int x, int y) { return Scatter(x, y) % n < k; }, leaving);
        break;
      case 'E':  // Scroll Left: in from the right, out to the left
        if (!leaving) {
          for (int dx = signWidth - 1; dx >= restX; --dx) push(into, view(dx, 0));
        } else {
          for (int dx = restX - 1; dx >= -width; --dx) push(into, view(dx, 0));
        }
        break;
      case 'F':  // Scroll Right: in from the left, out to the right
        if (!leaving) {
          for (int dx = -shownWidth + 1; dx <= restX; ++dx) push(into, view(dx, 0));
        } else {
          for (int dx = restX + 1; dx <= signWidth; ++dx) push(into, view(dx, 0));
        }
        break;
      case 'I':  // Scroll Up: in from below, out at the top
        if (!leaving) {
          for (int dy = rows - 1; dy >= 0; --dy) push(into, view(restX, dy));
        } else {
          for (int dy = -1; dy >= -rows; --dy) push(into, view(restX, dy));
        }
        break;
      case 'J':  // Scroll Down: in from above, out at the bottom
        if (!leaving) {
          for (int dy = -rows + 1; dy <= 0; ++dy) push(into, view(restX, dy));
        } else {
          for (int dy = 1; dy <= rows; ++dy) push(into, view(restX, dy));
        }
        break;
      case 'L': {  // Snow: every dot falls from the top to its place, or from it to the bottom
        const int steps = rows + 8;
        for (int t = 1; t <= steps; ++t) {
          push(into, [=] {
            const LedFrame rest = View(*still, signWidth, restX, 0);
            if (!leaving && t == steps) return rest;
            LedFrame f(signWidth, kSignRows);
            for (int y = 0; y < rows; ++y) {
              for (int x = 0; x < signWidth; ++x) {
                const char cell = rest.At(x, y);
                if (cell == '.') continue;
                const int fall = t - Scatter(x, y) % 8;
                if (fall <= 0) {
                  if (leaving) f.Set(x, y, cell);
                  continue;
                }
                const int to = leaving ? y + fall : std::min(y, fall - 1);
                if (to < rows) f.Set(x, to, cell);
              }
            }
            return f;
          });
        }
        if (leaving) push(into, dark);
        break;
      }
      default:  // at once
        push(into, leaving ? std::function<LedFrame()>(dark) : view(restX, 0));
        break;
    }
  };
  effect(a.entry, in, false);

  // The hold: the line as it stands, blinking in the blinking mode.
  const int wait = WaitMs(effects.wait);
  if (effects.mode == "<MB>") {
    for (int t = 0; t < wait; t += 500) {
      a.hold.push_back({(t / 500) % 2 == 0 ? std::function<LedFrame()>(view(restX, 0))
                                           : std::function<LedFrame()>(dark),
                        std::min(500, wait - t)});
    }
  } else {
    a.hold.push_back({view(restX, 0), wait});
  }
  effect(a.exit, EffectLetter(effects.exit), true);
  return a;
}

}  // namespace tavrin::preview
