// Position of a file import within its 30-percent share of the progress bar.
#pragma once

namespace korvun {

// 30 * done / lines, rounded to the nearest integer, halves to the even one.
int ProgressShare(long long done, long long lines);

}  // namespace korvun
