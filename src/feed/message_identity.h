#pragma once
// When two records are the same message: the same member number and the same
// content once blanks, the widths of letters, digits and punctuation and the
// grid's colour markers are set aside. Offices re-send one text every few
// minutes, retyped or pasted with a blank more or a full-width comma; a list
// shows such copies as one row.
#include <cstdint>
#include <string>
#include <string_view>

namespace tv {

// The content as the comparison sees it: ASCII and full-width blanks gone,
// full-width letters, digits and punctuation (the GBK row A3) as their ASCII
// forms, the marker characters of the row text gone. GBK in, GBK out.
std::string NormalizeContent(std::string_view gbk);

// The content normalised into `out` (cleared first); no allocation once
// `out` has the capacity.
void NormalizeContentInto(std::string_view gbk, std::string& out);

// The content normalised as above with its ASCII letters lowered, appended
// to `out`: what a filter's words are looked for in.
void AppendSearchable(std::string_view gbk, std::string& out);

// The member number a record is published under ("Flag"), blanks at both ends
// set aside.
std::string_view MemberNumberOf(std::string_view flag);

// Whether two records are copies of one message.
bool SameMessage(std::string_view flag_a, std::string_view content_a, std::string_view flag_b,
                 std::string_view content_b);

// A 64-bit fingerprint of the message identity (member number and normalised
// content): equal for copies, different otherwise but for chance.
std::uint64_t MessageFingerprint(std::string_view flag, std::string_view content);

}  // namespace tv
