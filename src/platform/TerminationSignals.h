#pragma once

#include <functional>

class QObject;

// Runs handler on the event loop, once, when the process receives SIGTERM or SIGINT, so that a
// terminated program ends through its normal shut-down. The signal handler itself only writes a
// byte to a socket pair; everything else happens in the loop. A second signal ends the process at
// once, with status 128 + the signal's number.
void OnTerminationSignal(QObject* context, std::function<void()> handler);
