// GoBoard: the one game object. Every field of the game's state is declared here, in order, so
// the whole state can be read in one place; members are defined in the folder of their subsystem.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"
#include "resources/ids.h"

// Colour of a point: Black 1, White -1, Empty 0; Edge 9 stands in the edge ring only while
// liberties are counted. The other side of a colour is its negation.
using Colour = int;
constexpr Colour black = 1;
constexpr Colour white = -1;
constexpr Colour empty = 0;
constexpr Colour edge = 9;

// A point of the board, 1-based, column first.
struct BoardPoint {
  int column;
  int row;
};

// Stands for a pass: a move played elsewhere on the board.
constexpr BoardPoint PassPoint{20, 20};

// One coordinate n as the character 64 + n ("A" is 1, "S" 19, "T" 20).
using PointLetter = char;

// Size of the board arrays: 19 points and the edge ring on each side.
constexpr int boardArraySize = 21;
constexpr int historyCapacity = 1024;
constexpr int maxTreeNodes = 501;
constexpr int setupTextCapacity = 768;
constexpr int treeTextCapacity = 8192;
// Group labels run from 0 (no stone) to at most 361.
constexpr int maxLabels = 362;

// The moves since the last reset as PointLetter pairs ("TT" a pass), zero-terminated.
using MoveHistory = char[historyCapacity];

using Flag = std::uint8_t;

// The notifications the game object posts to its main window (notifyMoveAccepted ...) are in
// resources/ids.h with the other numbers.

class GoBoard {
 public:
  // Reads the screen size, fits the default layout and creates the palette.
  GoBoard();
  // Deletes the palette.
  virtual ~GoBoard();
  GoBoard(const GoBoard&) = delete;
  GoBoard& operator=(const GoBoard&) = delete;
  static void* operator new(std::size_t) = delete;
  static void* operator new[](std::size_t) = delete;

  // ---- helpers ----

  // The character's code as a signed 8-bit value, minus 64.
  static int letterToNumber(char letter) { return static_cast<std::int8_t>(letter) - 64; }
  // n + 64, kept to 8 bits.
  static char numberToLetter(int number) {
    return static_cast<char>(static_cast<std::uint8_t>(number + 64));
  }
  // True when the point lies on the shown board.
  bool onShownBoard(int column, int row) const {
    return column >= 1 && column <= columnsShown && row >= 1 && row <= rowsShown;
  }
  // True for the PassPoint (20, 20).
  static bool isPass(int column, int row) { return column == 20 && row == 20; }
  // The colour a cell value stands for: its remainder by 2 with its sign (so Edge reads as Black).
  static Colour cellColour(int value) { return value % 2; }
  // Replaces a pass by the first empty point of the bottom-right 3 x 3 block of the shown board;
  // leaves it when none is empty.
  void passSubstitute(int& column, int& row) const;

  // ---- group labels ----

  // Labels the stone just written at an empty, shown point and merges the chains it joins.
  void labelStone(Colour colour, int column, int row);
  // Every shown point labelled `from` gets `to`.
  void relabelGroup(int from, int to);
  // The smallest label not in use on the shown board.
  int freshLabel() const;

  // ---- move execution ----

  // Writes value into every cell of the edge ring.
  void setEdgeRing(int value);
  // Plays a stone, or a pass at the PassPoint, for the side to move. Returns true if the move
  // was accepted, false (nothing changed, nothing drawn) if it was illegal: occupied, suicide,
  // the immediate recapture of a ko, off the shown board, or the move record full. With `draw`,
  // the changed points are redrawn at once.
  bool playMove(int column, int row, bool draw);

  // ---- position reset and takeback ----

  // Empties the board and the record and places the setup stones, Black to move; with
  // `invalidate` the whole view is repainted.
  void resetPosition(bool invalidate);
  // Puts the stones of SetupText on the shown board and labels them; pairs off it are ignored.
  void placeSetupStones();
  // Rebuilds the position after the first n recorded moves and redraws the points that changed.
  void replayMoves(int n);
  // Takes back the most recent move; nothing when none has been played since the reset.
  void takeBackOne();

  // ---- problem records and loading ----

  // Turns the record bytes (byteCount of them; missing ones read as zero bits) into problemWidth,
  // problemHeight, setupText and treeText.
  void readProblemRecord(const unsigned char* bytes, int byteCount);
  // Opens problem problemNumber of the catalogue; nothing happens when it is out of range.
  void loadProblem();
  // Opens a record text as the current problem. False, with nothing changed, when the text is
  // too long for the record buffer or holds characters outside "0".."o".
  bool openRecord(const char* record);
  // Indexes treeText, fits the board, clears the walk and resets the position: the restart.
  void indexProblemTree();
  // Index of the first ch in the zero-terminated text, or -1.
  static int findChar(const char* text, char ch);

  // ---- solution-tree queries ----

  // The first child of currentNode whose move is the point (a pass child also answers its
  // substitute point); 0 when none.
  int findChild(int column, int row) const;
  // The nearest earlier node one level up; -1 for the root.
  int parentOf(int node) const;
  int childCount(int node) const;
  // True when the node directly after it is its child.
  bool hasChildren(int node) const;
  bool isLeaf(int node) const { return !hasChildren(node); }
  // After one move was taken back: the walk steps to the parent if that move was its last node.
  void stepWalkBack();

  // ---- answering the player's move ----

  // Plays the player's move, looks it up in the tree, lets the opponent reply and gives the
  // verdict. In solving mode nothing happens unless Black is to move and the problem is unsolved.
  void answerMove(int column, int row);
  // The opponent's reply from the tree: the first child not yet beaten, after delayMs.
  void playReply(int delayMs);
  // Moves the square marker to the point.
  void moveMarker(int column, int row);

  // ---- takeback, next variation and hint ----

  // "Back": to the player's turn while solving, one move in free play.
  void takeBack();
  // Returns to branchNode and plays the waiting reply branchChild.
  void nextVariation();
  // Writes the moves leading to correct leaves below currentNode (letter pairs, at most 200
  // characters) into a 256-character buffer; returns the length.
  int collectAnswers(char* text) const;
  // Flashes the correct answers for 500 ms and leaves the marker on the first.
  void showHint();

  // ---- input and mode ----

  void onTap(int x, int y);
  // Hand over a point the player may tap, the arrow elsewhere.
  void onPointerMove(int x, int y);
  void onKey();
  // Restarts the problem.
  void onSecondaryButtonUp(int x, int y);
  // Switches between solving and free play; leaving free play restarts the problem.
  void toggleFreePlay();

  // ---- status banner ----

  // Draws the text at once, centred at the top of the banner strip.
  void showBannerText(const char16_t* text) const;
  void showSuccess() const { showBannerText(successText); }
  void showFailure() const { showBannerText(failureText); }
  void showGood() const { showBannerText(goodText); }
  // Asks for the strip to be repainted when a verdict may stand in it.
  void clearBanner() const;

  // ---- sounds ----

  // Plays a clip when sound is on; a clip that cannot start gives the default beep.
  void playSound(int id) const;

  // ---- layout and coordinate mapping ----

  // Sizes the cell for the problem region, then fits.
  void sizeBoardForProblem();
  // Sets the counts of shown columns and rows; may enlarge the cell.
  void fitBoardToView();
  // Pixel of a column's or row's centre line; defined for any integer.
  int columnToX(int column) const;
  int rowToY(int row) const;
  // The shown column or row under a pixel, or 0.
  int xToColumn(int x) const;
  int yToRow(int y) const;
  // True, with the point, when the pixel lies within the point's target square.
  bool pointAtPixel(int x, int y, BoardPoint& point) const;

  // ---- rendering ----

  // The board rectangle and, in free play, the corner mark.
  void drawBoardBackground(platform::Surface surface) const;
  // Cell square, grid cross and star point of a point.
  void drawEmptyPoint(platform::Surface surface, int column, int row) const;
  void drawStarPoint(platform::Surface surface, int column, int row) const;
  // The empty point, then the stone the cell holds, if any.
  void drawStone(platform::Surface surface, int column, int row) const;
  // The point as its cell says.
  void drawPoint(platform::Surface surface, int column, int row) const;
  // The red dot of the last move, on the shown board only.
  void drawLastMoveDot(platform::Surface surface, int column, int row) const;
  // A green hint mark, on an empty point of the shown board only.
  void drawHintMark(platform::Surface surface, int column, int row) const;
  // The square marker around markedPoint.
  void drawMarker(platform::Surface surface) const;
  // Redraws the point under the marker at once; markedPoint stays.
  void eraseMarker() const;
  // The whole view.
  void paintBoard(platform::Surface surface) const;
  // The paint cycle of mainWindow.
  void onPaint() const;

  // ---- state, in declaration order ----

  int screenWidth;
  int clientWidth;
  int viewHeight;
  int boardAreaHeight;
  int originX, originY;
  int freePlay;
  int stoneRadius;
  int cellSize;
  int columnsShown, rowsShown;
  BoardPoint lastMove;
  Colour sideToMove;
  int moveNumber;
  BoardPoint markedPoint;
  int groupLabel[boardArraySize][boardArraySize];
  int cells[boardArraySize][boardArraySize];
  int lastCaptureCount;
  MoveHistory history;
  int setupLength;
  char* setupPointer;
  int problemWidth, problemHeight;
  int nodeCount;
  int nodeOffset[maxTreeNodes];
  int nodeDepth[maxTreeNodes];
  int nodeLength[maxTreeNodes];
  Flag nodeVisited[maxTreeNodes - 1];
  int currentNode, currentDepth;
  int branchNode, branchChild;
  Flag offTree;
  char setupText[setupTextCapacity];
  char treeText[treeTextCapacity];
  Flag solved, failed, variationPending;
  platform::Brush blackBrush;
  platform::Brush whiteBrush;
  platform::Brush redBrush;
  platform::Brush greenBrush;
  platform::Brush blueBrush;
  platform::Brush yellowBrush;
  platform::Pen redPen;
  platform::Pen blackPen;
  platform::Pen magentaPen;
  Flag soundOn;
  Flag problemLoaded;
  int problemNumber;
  int problemCount;
  platform::Window mainWindow;
  const char16_t* successText;
  const char16_t* failureText;
  const char16_t* goodText;

 private:
  void createPalette();
  void deletePalette();
  // Redraws one point at once, and the marker if it stands there.
  void redrawPoint(int column, int row) const;
  // Appends the move to the history and makes it the last move.
  void recordMove(int column, int row);
  // The move of a tree node, and whether its entry carries the success flag.
  BoardPoint nodeMove(int node) const;
  bool nodeSucceeds(int node) const;
  // A tree move as it is played: a pass becomes its substitute point when one is free.
  BoardPoint playablePoint(BoardPoint move) const;
  // The failure verdict.
  void giveFailure();
  // Draws the marker at markedPoint on a window surface of its own.
  void drawMarkerNow() const;
  // A move can be taken back.
  bool canTakeBack() const;
};

// The program's one game object, built before main and destroyed at exit.
extern GoBoard goBoard;
