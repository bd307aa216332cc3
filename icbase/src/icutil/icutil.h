// The track library's base utilities in one include.
#pragma once

#include "icbase/src/icutil/fatal.h"
#include "icbase/src/icutil/geometry.h"
#include "icbase/src/icutil/hashtable.h"
#include "icbase/src/icutil/mempool.h"
#include "icbase/src/icutil/paths.h"
#include "icbase/src/icutil/sysinfo.h"
#include "icbase/src/icutil/times.h"
#include "icbase/src/icutil/unistring.h"
#include "icbase/src/icutil/utdm/unifile.h"
#include "icbase/src/icutil/utils.h"
#include "icbase/src/icutil/xmlescape.h"
