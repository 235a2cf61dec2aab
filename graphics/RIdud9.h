#pragma once
// The scene and text unit in one include: the sprite scene with its rendering queues,
// the text writer with its glyph cache, and the vector records they take.
#include "graphics/GlyphRasteriser.h"
#include "graphics/SXFontCache.h"
#include "graphics/SXScene.h"
#include "graphics/SXTextWriter.h"
#include "graphics/s_MathPack.h"
