#pragma once

#include <functional>
#include <string>
#include <vector>

#include "preview/led_frame.h"

namespace tavrin::preview {

// How a line comes on, stays and goes: the codes of its message frame.
struct LineEffects {
  std::string entry = "<FE>";  // "<FA>" to "<FS>", or the lower-case ones
  std::string exit = "<FE>";
  std::string mode = "<MA>";  // "<MB>" blinks while the line is held
  std::string wait = "<WC>";  // "<WA>" 0.5 s, then "<WB>" 1 s to "<WZ>" 25 s
  char speed = '3';           // '0' slowest to '3' fastest
};

// One picture of the sign and how long it stays. The picture is drawn when it is asked for, so
// that the showing of a long line costs nothing until it is played.
struct Shown {
  std::function<LedFrame()> draw;
  int ms = 0;
  LedFrame Frame() const { return draw(); }
};

// The parts of a line's showing, in order: the entry ends on the line as it is held, the hold,
// the exit ends on a dark sign.
struct Animation {
  std::vector<Shown> entry;
  std::vector<Shown> hold;
  std::vector<Shown> exit;
  // Every picture in order.
  std::vector<Shown> All() const;
  int TotalMs() const;
};

// How long one step of an effect takes at a speed.
int StepMs(char speed);
// How long a wait code holds the line.
int WaitMs(const std::string& waitCode);
// The effects drawn as motion: scrolls, curtains, opening and closing, snow and twinkle. The
// others (immediate, hold, block move, random and the greetings) come on and go at once.
bool IsAnimatedEffect(const std::string& code);
// The effects that move the line through the sign, so that a line wider than the sign is seen
// whole.
bool IsScrollingEffect(const std::string& code);

// The sign of signWidth columns showing the line drawn standing still (kSignRows high, any
// width) while it is held: from its start and cut at the sign's right edge, or, when it is
// wider than the sign and scrolls in from the right, with its end at that edge.
LedFrame HeldPicture(const LedFrame& still, int signWidth, const std::string& entryEffect);

// The showing of a line drawn standing still (kSignRows high, any width) on a sign of
// signWidth columns. A line wider than the sign is cut at its right edge, unless it scrolls in
// from the side, when it moves until its end has come on.
Animation Animate(const LedFrame& still, int signWidth, const LineEffects& effects);

}  // namespace tavrin::preview
