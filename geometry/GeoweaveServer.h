// The server's own state: what keeps it in use.
#pragma once

#include "platform/ClassFactory.h"

// Every object of the server counts here while it lives.
ServerLock& GeoweaveLock();
