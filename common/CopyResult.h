// Outcomes of a copy from disk or out of an image.
#pragma once

#include "common/Types.h"

namespace Common {
namespace Filesystem {

typedef u8 CopyResult;

// 4 and 7 are not used.
constexpr CopyResult CopySucceeded = 0;
constexpr CopyResult CopySourceUnreadable = 1;
constexpr CopyResult CopyDestinationUnwritable = 2;
constexpr CopyResult CopyFolderNotMade = 3;
constexpr CopyResult CopyFolderOntoFile = 5;
constexpr CopyResult CopySourceMissing = 6;
constexpr CopyResult CopyDestinationIsPattern = 8;
constexpr CopyResult CopyPatternWithoutFolder = 9;

} // namespace Filesystem
} // namespace Common
