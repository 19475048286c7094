#pragma once
// Hands the device layer the maker of the network pattern generator's
// factory. Call at start-up, before the factory list is first used.
void registerNetworkPatternFactory();
