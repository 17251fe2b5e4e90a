// The normalising pass: reads a whole source once to find its lowest and
// highest sample before it is converted.
#pragma once

#include "engine/frontend.h"
#include "engine/run_context.h"

namespace sondrel {

// Opens the job's source as the conversion does (at `renderRate`) and scans
// every sample of every channel; trimming, channel mapping and resampling do
// not apply. Shows "[n%] Normalizing <name>..." with the job's item's file
// name and pumps messages every third block. True when at least one block was
// read and the scan was not cancelled; the peaks found so far are given out
// in every case (0 and 0 when nothing was read). A reader that reports a
// sample rate of 0 or less sets `hasAudio` to 0.
bool ScanPeaks(Frontend& frontend, const ItemJob& job, int renderRate, ProgressWindow& progress,
               int& hasAudio, int& lowest, int& highest);

}  // namespace sondrel
