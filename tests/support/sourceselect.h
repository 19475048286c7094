#pragma once
// The tests of one folder share an executable; each CTest entry runs it on the
// cases of its own source files: --tintwell_sources=test_a.cpp,test_b.cpp.

// Call after ::testing::InitGoogleTest. Takes the option out of argv and
// narrows GoogleTest's filter (which may already be set with --gtest_filter)
// to the cases defined in those files. Returns false, having said why on
// stderr, when the option names a file that defines no case: a test entry
// that would silently run nothing.
bool selectTestsFromSources(int &argc, char **argv);
