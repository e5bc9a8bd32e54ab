#pragma once

namespace tavrin {

// The waits of the sign functions, in milliseconds: the pauses that give the sign time to
// take in a frame before the next one comes. Every plan takes its waits from here.

// A transfer (a message with its graphics, or user characters): after "<BE>", before "<BF>".
inline constexpr int kWaitAfterOpenTransferMs = 200;
inline constexpr int kWaitBeforeCloseTransferMs = 200;
inline constexpr int kWaitAfterMessageMs = 100;
inline constexpr int kWaitAfterGraphicBlockMs = 250;
inline constexpr int kWaitAfterCharacterMs = 60;
inline constexpr int kWaitBetweenSchedulesMs = 70;
// Only after a deletion the sign answered (none for ID 00).
inline constexpr int kWaitAfterPageDeletionMs = 50;
// After each frame of a print job, where no reply paces the frames.
inline constexpr int kWaitAfterNetworkFrameMs = 260;

}  // namespace tavrin
