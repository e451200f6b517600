// Problem records: one line of printable text carrying the region, the setup stones and the
// solution tree, bit-packed. GoBoard::readProblemRecord turns the decoded bytes into the texts.
#pragma once

// Record texts use the 64 characters "0" (48) to "o" (111), six bits each.
constexpr char recordFirstChar = '0';
constexpr char recordLastChar = 'o';

// Replaces the zero-terminated record text by its bytes and a zero byte; returns the byte count.
int decodeRecordText(char* text);
