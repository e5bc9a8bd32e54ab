#pragma once

#include <QCoreApplication>
#include <QTest>

#include "signlink/sign_road.h"

namespace tavrin::testing {

// Waits until the road has no command under way, then lets this thread handle everything the
// command told it (its events come as queued calls): the end notice, the button given back.
// False when a command was still running after `ms`.
inline bool Settle(SignRoad& road, int ms = 60000) {
  const bool idle = QTest::qWaitFor([&] { return road.Idle(); }, ms);
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents();
  return idle;
}

}  // namespace tavrin::testing
