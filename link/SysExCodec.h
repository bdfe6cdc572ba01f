#pragma once

// The SysEx codec in one include: tables, field layouts, message primitives, builders,
// decoders and block operations.
#include "SysExBlocks.h"
#include "SysExBuilders.h"
#include "SysExDecoders.h"
#include "SysExFieldLayout.h"
#include "SysExMessage.h"
#include "SysExTables.h"
