// Timecode arithmetic of the number field: frames to text, normalisation of typed text and
// text to frames. Pure functions, so that the tests can run them without a widget.
#pragma once

namespace zu::widgets {

// Room for "-HH:MM:SS:FF" and the terminator.
constexpr int kTimecodeSize = 13;

// Frames to text with the field's rate. Unsupported rates give "00:00:00:00".
void framesToTimecode(int frames, int rateNum, int rateDen, bool dropFrame,
                      char out[kTimecodeSize]);
// Brings a typed text into the shape HH:MM:SS:FF (";" for drop frame), within the limits of
// the rate's frame count; null text counts as empty.
void normalizeTimecode(const char* text, int rateNum, int rateDen, bool dropFrame,
                       char out[kTimecodeSize]);
// A normalised text to frames; 0 for unsupported rates. Saturates instead of overflowing.
int timecodeToFrames(const char* text, int rateNum, int rateDen, bool dropFrame);

// Frames of 30-frame drop-frame counting to the nominal count whose digits the timecode shows
// (two frame numbers skipped each minute except every tenth).
long long dropFrameNominal(long long frames);

}  // namespace zu::widgets
