// Each format's reader for the entity stream: what the stream holds of a recognised file (the header,
// the block definitions, the layers' states and, for the old formats, every record), as a format's
// row names it (FormatRow::readStream). They throw the readers' errors for a file that cannot be read.
#pragma once

#include "render/bytes.h"
#include "render/entitystream.h"

namespace plavik {

void ReadJwkStream(FileBytes& file, StreamContents& out);
void ReadJwcStream(FileBytes& file, StreamContents& out);
// Today's formats keep their top-level entities in the file: each walk reads them again, unless there
// are few enough to hold.
void ReadJwsStream(FileBytes& file, StreamContents& out);
void ReadJwwStream(FileBytes& file, StreamContents& out);

} // namespace plavik
