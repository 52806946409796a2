// The floor dialog's start-up work (floor_calls.cpp).
#pragma once

void MakeUnavoidableStartupCalls();
