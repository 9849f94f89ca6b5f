#include "DvxParameterManager.h"

#include <gtest/gtest.h>

TEST (ParameterManager, Smoke)
{
    DvxParameterManager manager (nullptr);
    EXPECT_EQ (manager.getParameterName (-1), "invalid parameter");
}
