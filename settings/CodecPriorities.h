#pragma once

#include "core/Ports.h"

class Engine;

// Hands the engine its codec priorities: the defaults (G729 only), then the
// codec file's enabled list from 255 down and its disabled list at 0. A file
// that is missing or ends early brings the defaults back; what was already
// handed over for other codecs stays.
void ApplyCodecPriorities(Engine& engine, const Files& files);
