#include "platform/DesignStyle.h"

// The desktop's own style (Fusion where it names none) draws every control of the design.
void UseDesignStyle() {}
