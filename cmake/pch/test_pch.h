// What the test units share: the standard headers and GoogleTest.
#include "std_pch.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
