// The file-system calls of the programs, in one include: paths, files and
// directories, writing files in place, and copying.
#pragma once

#include "platform/copy.h"
#include "platform/directory.h"
#include "platform/file.h"
#include "platform/newfile.h"
#include "platform/paths.h"
