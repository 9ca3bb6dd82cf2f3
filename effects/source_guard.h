// Two-picture effects read their source while they write the destination.
// When a caller hands one picture in as both, reading it after some pixels
// were written would mix old and new pixels; SourceGuard then gives the effect
// a private copy to read from, freed on every exit.
#pragma once

#include "bitmap/pixel_bitmap.h"

namespace gleamkit::fx {

class SourceGuard {
public:
    // Keeps `source` as it is unless it is the very object `destination`.
    SourceGuard(bitmap::PixelBitmap& source, bitmap::PixelBitmap& destination) : m_source(&source) {
        if (&source == &destination) {
            m_copy = bitmap::NewPixelBitmap(0, 0);
            m_copy->Assign(&source);
            m_source = m_copy;
        }
    }
    ~SourceGuard() { Free(m_copy); }
    SourceGuard(const SourceGuard&) = delete;
    SourceGuard& operator=(const SourceGuard&) = delete;

    // The picture to read: the caller's source or the private copy.
    bitmap::PixelBitmap& Source() const { return *m_source; }

private:
    bitmap::PixelBitmap* m_source;
    bitmap::PixelBitmap* m_copy = nullptr;
};

} // namespace gleamkit::fx
