// The table tests' main: a copy started by ChildProcess plays its role,
// anything else runs the tests.
#include "ChildProcess.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    int code = 0;
    if (dbftest::runChildRole(argc, argv, &code))
        return code;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
