// What the program holds while idle after a run that showed every photo in
// the crop editor: the run's figures before, at the peak and after.
#pragma once

#include <string>
#include <vector>

namespace bench {

// Runs edit-all over files into out, with a front end that holds the photo
// shown and its screen copy as the crop editor does, and prints the
// process's memory before the run, at its peak, after it as the run left it
// and once the photos' memory is given back. Returns the exit status.
int idleMemoryRun(const std::string& out, const std::vector<std::string>& files);

}  // namespace bench
