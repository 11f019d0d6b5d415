#pragma once

// Picks the widget style that draws the design's small controls whole.
void UseDesignStyle();
