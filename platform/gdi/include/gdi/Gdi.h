#pragma once

// Everything of the drawing layer in one include: surfaces, objects, device contexts, drawing,
// frames, blits, fonts, text, icons, images and PNG files.

#include <gdi/Blit.h>
#include <gdi/Colors.h>
#include <gdi/DeviceContext.h>
#include <gdi/Drawing.h>
#include <gdi/Fonts.h>
#include <gdi/Frames.h>
#include <gdi/Icons.h>
#include <gdi/Objects.h>
#include <gdi/Png.h>
#include <gdi/Resources.h>
#include <gdi/Surface.h>
#include <gdi/Text.h>
#include <gdi/Yuy2.h>
