#pragma once

// Limits of the markup reader. Each is the largest amount the reader keeps.
inline constexpr int kMaxMarkupBytes = 20481;   // a conversion reads positions 0..20480
inline constexpr int kMaxTextRunBytes = 2001;   // bytes of markup kept of one text run
inline constexpr int kMaxTextParamBytes = 129;  // bytes kept of one text parameter
inline constexpr int kMaxNumberChars = 19;      // characters a number is read from
inline constexpr int kMaxParams = 20;           // parameter positions of one tag
inline constexpr int kMaxKeywordChars = 20;     // letters and digits of one token
inline constexpr int kHotLinkParams = 16;       // parameters a hot link carries
inline constexpr int kTokenBufferBytes = 32;    // room GetWord needs for one token
