#pragma once

#define IDR_SMALL_JPEG 201
#define IDR_BIG_JPEG 202
#define IDR_CORNER_BMP 203
#define IDR_NOT_A_PICTURE 204
#define IDR_MISSING 299
