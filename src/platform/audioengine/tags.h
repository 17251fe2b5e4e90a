// Tag texts of an engine channel, by the tags library's format strings.
//
// The format holds literal text and fields: %TITL %ARTI %ALBM %GNRE %YEAR
// %CMNT %TRCK %COMP %COPY %SUBT %AART %DISC, the escapes %% %( %) %, and the
// functions %IFV1(x,a) (a when x is not empty), %IFV2(x,a,b) (a when x is not
// empty, else b), %IUPC(x), %ILWC(x), %ICAP(x) and %ITRM(x). Tags come from
// ID3v1/v2, APE, Vorbis comments, MP4 atoms and RIFF INFO, and for tracker
// modules from the module's title.
#pragma once

#include "platform/audioengine/bass.h"

namespace sondrel {

// The formatted text, empty when the channel has no tags (or no such
// channel). The text stays valid until the next call on this thread.
const char* TAGS_Read(DWORD handle, const char* format);

}  // namespace sondrel
