// The foreign-reader contract between the loader and its plug-in libraries,
// whole: include this one header.
#pragma once

#include "foreign/FgnEntity.h"
#include "foreign/FgnErr.h"
#include "foreign/FgnReader.h"
#include "foreign/FgnStyle.h"
#include "foreign/FgnTable.h"
#include "foreign/FgnTypes.h"
