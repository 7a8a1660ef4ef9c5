#pragma once
// How a command caption becomes a panel title, without a window.

// Upper-cases every lower-case letter that directly follows a blank; the first
// character stays. Double-byte characters are stepped over whole, so a trail
// byte is never taken for a letter. toUpper answers the byte itself when it is
// no lower-case letter.
using LeadByteTest = bool (*)(unsigned char byte);
using ByteUpper = unsigned char (*)(unsigned char byte);
void CapitaliseWords(char* text, LeadByteTest isLeadByte, ByteUpper toUpper);
