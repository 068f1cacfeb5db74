// Comparing regions by the pixels they cover, however their rectangles are cut.
#pragma once

#include <gtest/gtest.h>
#include <QRegion>

inline ::testing::AssertionResult sameArea(const QRegion& a, const QRegion& b) {
    const QRegion difference = a ^ b;
    if (difference.isEmpty()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "the areas differ inside (" << difference.boundingRect().x() << ", "
           << difference.boundingRect().y() << ", " << difference.boundingRect().width() << " x "
           << difference.boundingRect().height() << ")";
}
