// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>

// The toolbar's two 16 x 16 images, drawn here rather than shipped as files.
QIcon openImage();
QIcon saveImage();
