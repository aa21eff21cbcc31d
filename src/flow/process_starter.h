// Starting another program: the external processing program of a device is a
// native program of its own that the load hands its work to. The Qt side
// implements this with QProcess; tests record the calls.
#pragma once

#include <string>

namespace burnmark {

class ProcessStarter {
public:
    virtual ~ProcessStarter() = default;
    // Starts the program (a full path) as a new process without arguments and
    // returns at once, without waiting for it. False when it could not start.
    virtual bool StartDetached(const std::string& program) = 0;
};

}  // namespace burnmark
