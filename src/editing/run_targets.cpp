#include "editing/run_targets.h"

namespace tavelo {

bool IsSourceAt(const RunTargets& targets, const std::string& path)
{
    FileFacts facts;
    return StatPath(path, facts) == 0 && targets.IsSource(facts.id);
}

} // namespace tavelo
