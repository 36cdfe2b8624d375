#pragma once

#include <functional>
#include <string>

// Runs `work` as the unprivileged user "nobody" in a child process and returns what it
// returned, or a text saying why it could not run. The tests run as root, which no permission
// bit stops; a permission test needs someone they do stop. The child shares nothing with the
// test but its memory image: `work` must not wait for other threads.
std::string runAsNobody(const std::function<std::string()>& work);

// Makes the file accesses of the calling thread those of "nobody" (or, with false, root's
// again). Only this thread's file-system ids change, and with them the rights that pass over
// permission bits, so a window's worker thread can meet the permission bits while the rest of
// the test stays root.
void fileAccessAsNobody(bool nobody);
