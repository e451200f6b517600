// Opening a problem: the record decoded into the problem texts, and the tree index.
#include <cstring>

#include "board/go_board.h"
#include "problems/catalogue.h"
#include "problems/problem_record.h"

namespace {
constexpr int recordBufferSize = 8192;
// The record being opened is copied here and decoded in place.
char recordBuffer[recordBufferSize];
constexpr int maxIndexedNodes = maxTreeNodes - 2;
}  // namespace

int GoBoard::findChar(const char* text, char ch) {
  const char* found = std::strchr(text, ch);
  return found == nullptr || ch == '\0' ? -1 : static_cast<int>(found - text);
}

bool GoBoard::openRecord(const char* record) {
  int length = 0;
  for (; record[length] != '\0'; ++length)
    if (length + 1 >= recordBufferSize || record[length] < '0' || record[length] > 'o')
      return false;
  std::memcpy(recordBuffer, record, static_cast<std::size_t>(length) + 1);
  const int bytes = decodeRecordText(recordBuffer);
  readProblemRecord(reinterpret_cast<const unsigned char*>(recordBuffer), bytes);
  indexProblemTree();
  return true;
}

void GoBoard::loadProblem() {
  const int n = problemNumber;
  if (n > problemCount || n < 1 || n > catalogueSize) return;
  openRecord(ProblemCatalogue[n]);
}

void GoBoard::indexProblemTree() {
  setupPointer = setupText;
  const int bar = findChar(setupText, '|');
  setupLength = bar >= 1 ? bar : static_cast<int>(strnlen(setupText, setupTextCapacity - 1));
  sizeBoardForProblem();
  offTree = 0;
  nodeCount = 0;
  for (int i = 0; i <= maxIndexedNodes; ++i) {
    nodeVisited[i] = 0;
    nodeDepth[i] = 0;
    nodeLength[i] = 0;
    nodeOffset[i] = -1;
  }
  int p = 0, i = 0;
  for (;;) {
    const int h = findChar(treeText + p, '~');
    if (h <= 4 || i >= maxIndexedNodes) break;
    nodeOffset[i] = p;
    nodeLength[i] = h;
    nodeDepth[i] = static_cast<std::int8_t>(treeText[p]) - 48;
    p += h + 1;
    ++i;
  }
  nodeCount = i;
  nodeOffset[i] = p;
  nodeDepth[i] = 0;
  nodeLength[i] = 0;
  solved = 0;
  failed = 0;
  resetPosition(true);
  currentNode = 0;
  currentDepth = 0;
  if (mainWindow != nullptr) platform::postMessage(mainWindow, notifyProblemOpened, 0, 0);
  problemLoaded = 1;
}
