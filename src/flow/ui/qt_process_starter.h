// The process starter of the program: QProcess, detached, so that the
// external program runs on its own and nothing waits for it.
#pragma once

#include "flow/process_starter.h"

namespace burnmark {

class QtProcessStarter : public ProcessStarter {
public:
    bool StartDetached(const std::string& program) override;
};

}  // namespace burnmark
