#pragma once
// Registers the compiled-in themes, icons and images. Safe to call any
// number of times; every user of a ":/" path calls it first.
void initTintwellResources();
