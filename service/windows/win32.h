// The Windows headers as the service uses them: the wide API, no min/max.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
