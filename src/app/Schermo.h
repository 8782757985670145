#pragma once

#include <QSize>

#include <optional>

// Size of the primary screen in pixels. Tests of the compact layout set a size of their own.
QSize DimensioneSchermo();
void ImpostaDimensioneSchermo(std::optional<QSize> dimensione);
