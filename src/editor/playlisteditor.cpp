#include "editor/playlisteditor.h"

#include "app/settings.h"
#include "app/text.h"
#include "catalogue/cataloguefile.h"
#include "player/playerstate.h"

#include <algorithm>
#include <utility>

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Minutes and seconds of a four-digit play time; any other text counts as no time.
std::pair<int, int> playTimeParts(const std::string &playTime)
{
    if (playTime.size() != 4 || !std::all_of(playTime.begin(), playTime.end(), isDigit))
        return {0, 0};
    return {(playTime[0] - '0') * 10 + (playTime[1] - '0'), (playTime[2] - '0') * 10 + (playTime[3] - '0')};
}

// Two characters: "00" for a negative value, else the value's last two digits.
QString twoDigits(long long value)
{
    if (value < 0)
        return QStringLiteral("00");
    return (QStringLiteral("00") + QString::number(value)).right(2);
}

} // namespace

QString PlayListTotalText(int tuneCount, int minutesSum, int secondsSum, int waitMs)
{
    // The gaps between tunes count, the one after the last does not.
    const long long gaps = std::max(tuneCount - 1, 0);
    const long long s = gaps * waitMs / 1000 + secondsSum;
    const long long m = s / 60 + minutesSum;
    return QStringLiteral("( %1 曲 %2:%3:%4 )")
        .arg(tuneCount)
        .arg(twoDigits(m / 60), twoDigits(m % 60), twoDigits(s % 60));
}

PlayListEditor::PlayListEditor(PlayerState &state, CatalogueList &catalogue)
    : m_state(state)
    , m_catalogue(catalogue)
    , m_favorites(3)
    , m_tunes(3)
{
}

void PlayListEditor::loadFavorites()
{
    FillFavorites();
    m_state.LoadPlayList(m_state.FavIndex);
}

void PlayListEditor::FillFavorites()
{
    ClearGrid(m_favorites, true);
    const int count = int(m_state.FavNames.size());
    m_favorites.setRowCount(count);
    for (int row = 0; row < count; ++row)
        m_favorites.setCell(row, FavoriteName, m_state.FavNames[std::size_t(row)]);
    m_favorites.setSelectedRow(m_state.FavIndex);
    if (m_state.FavIndex >= 0 && m_state.FavIndex < count)
        m_favorites.setCell(m_state.FavIndex, FavoriteCurrent, "1");
    m_favoriteCountText = QStringLiteral("( %1 種類 )").arg(count);
}

bool PlayListEditor::LoadCatalogue(const QString &path)
{
    const bool loaded = m_catalogue.loadFile(path);
    RefreshPlayList(true);
    selectCatalogueTune(0);
    return loaded;
}

void PlayListEditor::RefreshPlayList(bool rebuild)
{
    if (rebuild) {
        m_catalogue.clearMarks();
        ClearGrid(m_tunes, true);
        m_positions.clear();
    }
    const CellTable &catalogue = m_catalogue.grid();
    int count = 0;
    int minutesSum = 0;
    int secondsSum = 0;
    for (std::size_t position = 0; position < m_state.PlayList.size(); ++position) {
        const int row = m_catalogue.rowOfFile(m_state.PlayList[position]);
        if (row < 0)
            continue;
        if (rebuild) {
            m_tunes.setRowCount(count + 1);
            m_tunes.setCell(count, TuneTitle, catalogue.cell(row, CellTitle));
            m_tunes.setCell(count, TuneFile, catalogue.cell(row, CellFileName));
            m_positions.push_back(int(position));
        }
        const auto [minutes, seconds] = playTimeParts(catalogue.cell(row, CellPlayTime));
        minutesSum += minutes;
        secondsSum += seconds;
        m_catalogue.setMark(row, true);
        ++count;
    }
    if (rebuild)
        m_tunes.setRowCount(count);
    m_tuneCountText = PlayListTotalText(count, minutesSum, secondsSum, m_state.WaitMs);
}

void PlayListEditor::selectCatalogueTune(int row)
{
    m_catalogue.selectRow(row);
    const CellTable &catalogue = m_catalogue.grid();
    SelectedFile = catalogue.cell(catalogue.selectedRow(), CellFileName);
    SelectedTitle = catalogue.cell(catalogue.selectedRow(), CellTitle);
}

void PlayListEditor::selectPlayListTune(int row)
{
    m_tunes.setSelectedRow(row);
    SelectedFile = m_tunes.cell(m_tunes.selectedRow(), TuneFile);
    SelectedTitle = m_tunes.cell(m_tunes.selectedRow(), TuneTitle);
}

bool PlayListEditor::scrollCatalogueToTune()
{
    const std::string &fileName = m_tunes.cell(m_tunes.selectedRow(), TuneFile);
    const int row = fileName.empty() ? -1 : m_catalogue.rowOfFile(fileName);
    if (row < 0)
        return false;
    m_catalogue.selectRow(row);
    return true;
}

bool PlayListEditor::switchFavorite(int row)
{
    if (row == m_state.FavIndex || row < 0 || row >= int(m_state.FavNames.size()))
        return false;
    m_favorites.setSelectedRow(row);
    // A refused write throws and ends the step; the lists shown must still match the
    // state in memory then, so each is updated before the write that follows it.
    m_state.SavePlayList(m_state.FavIndex);
    m_state.FavIndex = row;
    for (CellTable::Row &cells : m_favorites.rows())
        cells[FavoriteCurrent].clear();
    m_favorites.setCell(row, FavoriteCurrent, "1");
    m_state.LoadPlayList(m_state.FavIndex);
    RefreshPlayList(true);
    m_state.SaveFavIndex();
    return true;
}

void PlayListEditor::renameFavorite(const std::string &newName)
{
    const int row = m_favorites.selectedRow();
    if (row >= int(m_state.FavNames.size()))
        return;
    m_state.RenameFavName(row, newName);
    m_favorites.setCell(row, FavoriteName, newName);
    EditorModified = true;
}

void PlayListEditor::addFavorite(const std::string &name)
{
    // The tunes listed now become the new favourite's, stored at the next SavePlayList.
    m_state.FavNames.push_back(name);
    m_state.FavIndex = int(m_state.FavNames.size()) - 1;
    FillFavorites();
    m_state.SaveFavIndex();
    m_state.SaveFavNames();
    EditorModified = true;
}

bool PlayListEditor::deleteFavorite()
{
    const int row = m_favorites.selectedRow();
    if (m_state.FavNames.size() < 2 || row >= int(m_state.FavNames.size()))
        return false;
    const std::string name = m_state.FavNames[std::size_t(row)];
    EraseIniSection(m_state.SettingsBase, PlayListSection(name));
    m_state.FavNames.erase(m_state.FavNames.begin() + row);

    const bool deletedCurrent = row == m_state.FavIndex;
    // Another favourite's deletion leaves the current one current, its unstored tunes
    // included; only the current one's deletion makes a stored list current.
    if (row < m_state.FavIndex)
        --m_state.FavIndex;
    m_state.FavIndex = std::min(m_state.FavIndex, int(m_state.FavNames.size()) - 1);
    FillFavorites();
    m_state.SaveFavNames();
    EditorModified = true;
    if (deletedCurrent)
        m_state.LoadPlayList(m_state.FavIndex);
    RefreshPlayList(true);
    m_state.SaveFavIndex();
    return true;
}

int PlayListEditor::tuneRowOfPosition(int position) const
{
    const auto it = std::find(m_positions.begin(), m_positions.end(), position);
    return it == m_positions.end() ? 0 : int(it - m_positions.begin());
}

void PlayListEditor::toggleCatalogueTune()
{
    const int row = m_catalogue.grid().selectedRow();
    const std::string fileName = m_catalogue.grid().cell(row, CellFileName);
    // An empty line of the catalogue is no tune.
    if (fileName.empty())
        return;
    std::vector<std::string> &playList = m_state.PlayList;
    const int position = text::indexOfText(playList, fileName);
    const bool adding = !m_catalogue.isMarked(row) && position < 0;
    int rowToSelect = 0;
    if (adding) {
        playList.push_back(fileName);
    } else if (m_catalogue.isMarked(row) && position >= 0) {
        rowToSelect = tuneRowOfPosition(position);
        playList.erase(playList.begin() + position);
    }
    // The rebuild sets the marks anew from the play list.
    RefreshPlayList(true);
    if (adding)
        rowToSelect = tuneRowOfPosition(int(playList.size()) - 1);
    EditorModified = true;
    m_tunes.setSelectedRow(rowToSelect);
    selectCatalogueTune(row);
}

void PlayListEditor::removeTune()
{
    const int row = m_tunes.selectedRow();
    if (row < int(m_positions.size()))
        m_state.PlayList.erase(m_state.PlayList.begin() + m_positions[std::size_t(row)]);
    EditorModified = true;
    RefreshPlayList(true);
    m_tunes.setSelectedRow(row);
    m_state.SavePlayList(m_state.FavIndex);
}

void PlayListEditor::removeAllTunes()
{
    m_state.PlayList.clear();
    EditorModified = true;
    RefreshPlayList(true);
    m_tunes.setSelectedRow(0);
    m_state.SavePlayList(m_state.FavIndex);
}

void PlayListEditor::changeGap(int seconds)
{
    m_state.WaitMs = seconds * 1000;
    RefreshPlayList(false);
    EditorModified = true;
    m_state.SaveWait();
}

bool PlayListEditor::moveTune(Direction direction)
{
    const int row = m_tunes.selectedRow();
    const int other = direction == Direction::Up ? row - 1 : row + 1;
    if (other < 0 || other >= int(m_positions.size()) || row >= int(m_positions.size()))
        return false;
    std::swap(m_tunes.row(row), m_tunes.row(other));
    std::swap(m_state.PlayList[std::size_t(m_positions[std::size_t(row)])],
              m_state.PlayList[std::size_t(m_positions[std::size_t(other)])]);
    m_tunes.setSelectedRow(other);
    EditorModified = true;
    m_state.SavePlayList(m_state.FavIndex);
    return true;
}
