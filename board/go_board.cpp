// Construction, destruction and the read-only helpers of the game object.
#include "board/go_board.h"

GoBoard goBoard;

GoBoard::GoBoard()
    : screenWidth(platform::screenWidth()),
      clientWidth(screenWidth),
      // The top bar and the menu bar take 26 pixels each.
      viewHeight(platform::screenHeight() - 52),
      boardAreaHeight(platform::screenHeight() - 52),
      originX(0),
      originY(0),
      freePlay(0),
      stoneRadius(7),
      cellSize(16),
      columnsShown(0),
      rowsShown(0),
      lastMove{0, 0},
      sideToMove(black),
      moveNumber(1),
      markedPoint{1, 1},
      groupLabel{},
      cells{},
      lastCaptureCount(0),
      history{},
      setupLength(0),
      setupPointer(nullptr),
      problemWidth(12),
      problemHeight(12),
      nodeCount(0),
      nodeOffset{},
      nodeDepth{},
      nodeLength{},
      nodeVisited{},
      currentNode(0),
      currentDepth(0),
      branchNode(0),
      branchChild(0),
      offTree(0),
      setupText{},
      treeText{},
      solved(0),
      failed(0),
      variationPending(0),
      blackBrush(nullptr),
      whiteBrush(nullptr),
      redBrush(nullptr),
      greenBrush(nullptr),
      blueBrush(nullptr),
      yellowBrush(nullptr),
      redPen(nullptr),
      blackPen(nullptr),
      magentaPen(nullptr),
      soundOn(1),
      problemLoaded(0),
      problemNumber(1),
      problemCount(10),
      mainWindow(nullptr),
      successText(nullptr),
      failureText(nullptr),
      goodText(nullptr) {
  fitBoardToView();
  createPalette();
}

GoBoard::~GoBoard() {
  deletePalette();
}

void GoBoard::passSubstitute(int& column, int& row) const {
  const int c = columnsShown, r = rowsShown;
  for (int dc = 0; dc < 3; ++dc) {
    for (int dr = 0; dr < 3; ++dr) {
      // With fewer than three columns or rows shown, the block is cut to the shown board.
      if (!onShownBoard(c - dc, r - dr)) continue;
      if (cells[c - dc][r - dr] % 2 == 0) {
        column = c - dc;
        row = r - dr;
        return;
      }
    }
  }
}
