// Right-to-left windows: panes whose lines stand at the right, and grids whose cells
// each read in their own direction.
#pragma once

class QAbstractItemView;
class QPlainTextEdit;

// Every line of the pane at its right edge, read in the direction of its first letter.
void alignRight(QPlainTextEdit* pane);
// Every cell of the grid laid out in the direction of its own first letter, a cell
// without letters (a number, a date, a time) left to right, so that "-20" does not
// show as "20-" in a right-to-left grid. The cells' texts stay as they are.
void cellsInTheirOwnDirection(QAbstractItemView* grid);
