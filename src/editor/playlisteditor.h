#pragma once

// The editor's favourites and the current play list over the shared player state: the
// favourites list, the play-list list with its total time, and the operations that
// change them, each storing into the settings file what it changes at the moment it
// changes it. The questions and the name entry belong to the window, which calls these
// operations once the user has answered.

#include "catalogue/cataloguelist.h"

#include <QString>

#include <string>
#include <vector>

class PlayerState;

// The cells of the favourites list and of the play-list list; cell 0 of each is the
// running number's.
enum FavoriteCell { FavoriteName = 1, FavoriteCurrent = 2 };
enum TuneCell { TuneTitle = 1, TuneFile = 2 };

class PlayListEditor
{
public:
    PlayListEditor(PlayerState &state, CatalogueList &catalogue);

    // Favourites: cell 1 the name, cell 2 "1" on the current one's row.
    const CellTable &favorites() const { return m_favorites; }
    // The tunes of the current play list that the catalogue has: cell 1 the title,
    // cell 2 the file name.
    const CellTable &tunes() const { return m_tunes; }

    // Selection without any further step, as a right click or a scroll makes it.
    void selectFavoriteRow(int row) { m_favorites.setSelectedRow(row); }
    void selectTuneRow(int row) { m_tunes.setSelectedRow(row); }

    // The tune last selected in a list, the preview's target (CP932).
    std::string SelectedFile;
    std::string SelectedTitle;
    // Set by every change that Cancel has to undo.
    bool EditorModified = false;

    // "( n 種類 )" and "( n 曲 hh:mm:ss )".
    QString favoriteCountText() const { return m_favoriteCountText; }
    QString tuneCountText() const { return m_tuneCountText; }

    // When the editor is shown: the favourites listed, and the current play list read in
    // its stored order.
    void loadFavorites();
    void FillFavorites();

    // The catalogue copy loaded into the catalogue list, the play list and the marks
    // rebuilt from it, and its first row selected. False when the file cannot be read.
    bool LoadCatalogue(const QString &path);

    // The catalogue marks and the total recomputed; with rebuild the marks are cleared
    // first and the play-list list is built anew.
    void RefreshPlayList(bool rebuild);

    // The selection steps of the catalogue and of the play-list list: the row becomes
    // the selected one and its tune the preview's target.
    void selectCatalogueTune(int row);
    void selectPlayListTune(int row);
    // The catalogue's row of the selected play-list tune becomes its selected row, the
    // preview's target left alone. False when the catalogue lacks it.
    bool scrollCatalogueToTune();

    // The favourite at that row becomes current; the tunes in memory are stored under
    // the one that was current first. False when it is current already.
    bool switchFavorite(int row);
    // Names are valid new names (checked by the name dialog).
    void renameFavorite(const std::string &newName);
    void addFavorite(const std::string &name);
    // Deletes the selected favourite. The last remaining one is never deleted: false.
    bool deleteFavorite();

    // The selected catalogue tune added to the play list, or removed when it is marked.
    void toggleCatalogueTune();
    // The selected play-list tune removed, or every tune.
    void removeTune();
    void removeAllTunes();

    // The gap between tunes set to that many seconds: stored, and the total follows.
    void changeGap(int seconds);

    enum class Direction { Up, Down };
    // The selected play-list tune exchanged with its neighbour. False (and nothing
    // stored) at the end it would leave.
    bool moveTune(Direction direction);

private:
    int tuneRowOfPosition(int position) const;

    PlayerState &m_state;
    CatalogueList &m_catalogue;
    CellTable m_favorites;
    CellTable m_tunes;
    // The PlayList position that each row of m_tunes shows; the play list may hold
    // tunes that the catalogue lacks, so rows and positions can differ.
    std::vector<int> m_positions;
    QString m_favoriteCountText = QStringLiteral("( 0 曲 )");
    QString m_tuneCountText = QStringLiteral("( 0 曲 )");
};

// "( n 曲 hh:mm:ss )" for n tunes whose play times sum to the minutes and seconds given,
// with a gap of waitMs after each tune but the last.
QString PlayListTotalText(int tuneCount, int minutesSum, int secondsSum, int waitMs);
