// The writer's side of problem records: a problem described plainly, turned into its record text.
// Used by the record tool and the tests; nothing here allocates.
#pragma once

#include "board/go_board.h"

// What the format carries and the trainer can index.
constexpr int maxRecordDepth = 77;  // depth 78's character would be "~", the entry separator
constexpr int maxRecordEntries = 499;
constexpr int maxRecordNodes = maxRecordEntries - 1;
constexpr int maxSetupStones = 382;
constexpr int maxStonesOfColour = 255;
constexpr int minRegionSide = 3;
constexpr int maxRegionSide = 19;
// Room for the longest record text the writer makes, and its terminating zero.
constexpr int recordTextCapacity = 2304;

// One node of the solution tree: its depth (1 for the player's first move), its move (the
// PassPoint for a pass) and whether it ends a correct line.
struct ProblemNode {
  int depth;
  int column;
  int row;
  Flag success;
};

// A problem as the writer takes it; the arrays belong to the caller. Nodes come in pre-order,
// the root left out.
struct ProblemDescription {
  int width;
  int height;
  const BoardPoint* blackStones;
  int blackCount;
  const BoardPoint* whiteStones;
  int whiteCount;
  const ProblemNode* nodes;
  int nodeCount;
};

// Why a problem cannot be written: the 1-based node at fault (0 when no single node is), and
// a message.
struct RecordFault {
  int node;
  char message[120];
};

// The record text of the problem, zero-terminated, in text (capacity characters). False, with
// the fault and text left empty, when the format or the trainer cannot carry the problem.
bool writeProblemRecord(const ProblemDescription& problem, char* text, int capacity,
                        RecordFault& fault);
