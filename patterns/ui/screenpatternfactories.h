#pragma once
// Hands the device layer the makers of all three pattern generator
// factories (network, screen, manual). Call at start-up in programs with
// widgets, before the factory list is first used.
void registerPatternFactories();
