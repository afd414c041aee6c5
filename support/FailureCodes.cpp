#include "support/FailureCodes.h"

namespace korvane {

static_assert(FailureCodeNames.size() == FailureCodes::Count);
static_assert(FailureCodeTexts.size() == FailureCodes::Count);

} // namespace korvane
