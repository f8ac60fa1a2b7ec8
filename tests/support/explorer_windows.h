// The file-explorer windows a test opens through the shell. Under Wine the
// shell starts one explorer.exe per opened folder as a child of the test
// process; left alone it would outlive the test and hold the test runner's
// output open.
#pragma once

namespace testing_support {

// Windows: ends the explorer.exe processes this process started and waits
// for their end; returns how many there were. Elsewhere: 0.
int endExplorersStartedHere();

}  // namespace testing_support
