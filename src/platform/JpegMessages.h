#pragma once
// libjpeg's message numbers as users of this program know them.
//
// The program reports a fatal decoder error as "JPEG エラー #n", where n is the message's number in
// the IJG release 6a numbering (the alphabetical list of that release, JMSG_NOMESSAGE being 0):
// "Not a JPEG file" JERR_NO_SOI is 52, "Empty input file" JERR_INPUT_EMPTY is 41, "Premature end
// of input file" JERR_INPUT_EOF is 42. libjpeg-turbo numbers its messages differently (it has
// messages that release 6a did not), so its codes are mapped to the classic numbers by name.
//
// - A turbo message whose name release 6a also had gets that name's classic number.
// - JERR_BAD_HUFF_TABLE ("Bogus Huffman table definition") took over the check that release 6a
//   reported as JERR_DHT_COUNTS ("Bogus DHT counts"), so it gets that message's number, 28.
// - A turbo message with no classic twin (JERR_BAD_DCT_COEF, JERR_BAD_CROP_SPEC,
//   JERR_BAD_DROP_SAMPLING, JERR_NO_ARITH_TABLE, JWRN_ARITH_BAD_CODE, JWRN_BOGUS_ICC and the
//   newer JTRC_ traces) gets kTurboOnlyMessageBase + its turbo code, a number no classic message
//   uses, from which the turbo message can still be looked up.
// - A code outside turbo's list gets 0, the classic "bogus message code" (what libjpeg itself
//   prints for a code it does not know).

inline constexpr int kTurboOnlyMessageBase = 1000;

// Number of messages in the classic list (JMSG_LASTMSGCODE of release 6a).
int ClassicJpegMessageCount();

// The classic (IJG 6a) number of a libjpeg-turbo message code (J_MESSAGE_CODE).
int ClassicJpegMessageNumber(int turboCode);
