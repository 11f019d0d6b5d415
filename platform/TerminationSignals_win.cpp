#include "platform/TerminationSignals.h"

// Windows has no such signals; the console's Ctrl+C and the session's end reach the program
// as window messages instead.
TerminationSignals::TerminationSignals(QObject *parent) : QObject(parent) {}
TerminationSignals::~TerminationSignals() = default;
