// The live page: polls live.json, at most as often as the server says it publishes, and
// shows what came back. Read-only: it only ever sends GET. Every text from the network
// (source and node names) goes in as textContent, never as markup.
'use strict';

(() => {
  const kStaleMs = 2000;    // data older than this is said to be stale
  const kRetryMs = 1000;    // while the server cannot be reached
  const kTimeoutMs = 4000;  // a poll that has not been answered by then has failed
  const kHiddenPollMs = 2000;
  const kNoticeMs = 4000;
  const kSlots = 512;

  const $ = (id) => document.getElementById(id);
  const page = {
    pollMs: 250,
    universesTag: '',
    nodesTag: '',
    eventsTag: '',
    startTime: '',
    chosen: Number((/universe=(\d+)/.exec(location.hash) || [])[1] || 0),
    shown: 0,
    universes: [],
    selected: null,
    dataTime: 0,        // when the data shown was taken, on this clock
    failures: 0,
    disconnectedAt: 0,
    notice: '',
    noticeUntil: 0,
    picked: -1,
    timer: 0,
    inFlight: false,
    again: false,
    gridColumns: 0,
    cells: [],
    cellText: [],
    cellClass: [],
  };

  function make(tag, className, text) {
    const node = document.createElement(tag);
    if (className) node.className = className;
    if (text !== undefined && text !== null) node.textContent = String(text);
    return node;
  }

  function setText(node, text) {
    const value = String(text);
    if (node.textContent !== value) node.textContent = value;
  }

  function setClass(node, className) {
    if (node.className !== className) node.className = className;
  }

  function seconds(ms) {
    return ms < 10000 ? (ms / 1000).toFixed(1) + ' s' : Math.round(ms / 1000) + ' s';
  }

  // --- universes: [number, liveness, sources, live sources, conflict, sync missing]
  function statesOf(entry) {
    const states = [entry[1]];
    if (entry[4]) states.push('conflict');
    if (entry[5]) states.push('sync missing');
    return states;
  }

  function worstStateClass(states) {
    if (states.includes('conflict')) return 'state-conflict';
    if (states.includes('sync missing')) return 'state-sync';
    return 'state-' + states[0];
  }

  function universeText(entry) {
    return 'Universe ' + entry[0] + ' · ' + statesOf(entry).join(', ') + ' · ' + entry[2] + (entry[2] === 1 ? ' source' : ' sources');
  }

  function summaryText(list) {
    if (list.length === 0) return 'No sACN universe heard yet.';
    const count = (test) => list.filter(test).length;
    const parts = [list.length + (list.length === 1 ? ' universe' : ' universes')];
    const figures = [
      [count((u) => u[1] === 'live'), 'live'],
      [count((u) => u[1] === 'lost'), 'lost'],
      [count((u) => u[1] === 'ended'), 'ended'],
      [count((u) => u[4]), 'in conflict'],
      [count((u) => u[5]), 'sync missing'],
    ];
    for (const [n, name] of figures) if (n > 0) parts.push(n + ' ' + name);
    return parts.join(' · ');
  }

  function renderUniverses(list) {
    page.universes = list;
    const select = $('universe-select');
    const items = $('universe-list');
    const same = select.options.length === list.length && list.every((u, i) => select.options[i].value === String(u[0]));
    if (!same) {
      select.replaceChildren(...list.map((u) => {
        const option = make('option', '', universeText(u));
        option.value = String(u[0]);
        return option;
      }));
      items.replaceChildren(...list.map((u) => {
        const item = make('li');
        const button = make('button');
        button.type = 'button';
        item.dataset.universe = String(u[0]);
        button.append(make('span', 'number', 'Universe ' + u[0]), make('span', 'state'));
        item.append(button);
        return item;
      }));
    }
    list.forEach((u, i) => {
      setText(select.options[i], universeText(u));
      const states = statesOf(u);
      const state = items.children[i].firstChild.lastChild;
      setText(state, states.join(', '));
      setClass(state, 'state ' + worstStateClass(states));
    });
    select.disabled = list.length === 0;
    if (list.length === 0) select.replaceChildren(make('option', '', 'no universe yet'));
    setText($('universe-summary'), summaryText(list));
    markShownUniverse();
  }

  function markShownUniverse() {
    const select = $('universe-select');
    const value = String(page.shown);
    if (page.shown && ![...select.options].some((o) => o.value === value) && page.universes.length > 0) {
      const missing = make('option', '', 'Universe ' + value + ' · no sources now');
      missing.value = value;
      select.append(missing);
    }
    if (page.shown) select.value = value;
    for (const item of $('universe-list').children) {
      setClass(item, item.dataset.universe === value ? 'selected' : '');
    }
  }

  function choose(universe) {
    if (!universe || universe === page.shown) return;
    page.chosen = universe;
    page.shown = universe;
    page.picked = -1;
    history.replaceState(null, '', '#universe=' + universe);
    markShownUniverse();
    pollSoon();
  }

  // --- tables
  function setHeader(table, titles) {
    const row = table.tHead.rows[0];
    if (row.cells.length === titles.length && titles.every((t, i) => row.cells[i].textContent === t)) return;
    row.replaceChildren(...titles.map((t) => make('th', '', t)));
    for (const body of table.tBodies) body.replaceChildren();  // the rows take the titles below
  }

  // Rewrites only the cells whose text changed, reusing the rows there are.
  function fillTable(table, rows, texts, rowClass, first) {
    const body = table.tBodies[0];
    while (body.rows.length > rows.length) body.deleteRow(-1);
    rows.forEach((data, r) => {
      const values = texts(data);
      let row = body.rows[r];
      if (!row || row.cells.length !== values.length + (first ? 1 : 0)) {
        row = make('tr');
        const titles = table.tHead.rows[0].cells;
        for (let i = 0; i < values.length + (first ? 1 : 0); i++) {
          const cell = make('td');
          if (titles[i]) cell.dataset.title = titles[i].textContent;  // a phone shows it before the text
          row.append(cell);
        }
        if (body.rows[r]) body.replaceChild(row, body.rows[r]); else body.append(row);
      }
      setClass(row, rowClass(data));
      if (first) first(row.cells[0], data);
      const offset = first ? 1 : 0;
      values.forEach((v, i) => setText(row.cells[i + offset], v));
    });
  }

  function swatchCell(cell, source) {
    let swatch = cell.firstChild;
    if (!swatch) {
      swatch = make('span');
      cell.append(swatch);
    }
    setClass(swatch, 'swatch' + (source.colour >= 0 ? ' w' + source.colour : ''));
  }

  // --- grid
  function buildGrid() {
    const grid = $('grid');
    const columns = parseInt(getComputedStyle(grid).getPropertyValue('--columns'), 10) || 10;
    if (columns === page.gridColumns) return;
    page.gridColumns = columns;
    const nodes = [];
    page.cells = [];
    for (let slot = 0; slot < kSlots; slot++) {
      if (slot % columns === 0) nodes.push(make('div', 'row', slot + 1));
      const cell = make('div', 'cell l0');
      cell.dataset.slot = String(slot);
      nodes.push(cell);
      page.cells.push(cell);
    }
    grid.replaceChildren(...nodes);
    page.cellText = new Array(kSlots).fill('');
    page.cellClass = new Array(kSlots).fill('cell l0');
    renderGrid();
  }

  function renderGrid() {
    const selected = page.selected;
    const count = selected ? selected.slotCount : 0;
    for (let slot = 0; slot < kSlots; slot++) {
      const winner = slot < count ? selected.winners[slot] : -1;
      const level = winner >= 0 ? selected.levels[slot] : 0;
      const text = winner >= 0 ? String(level) : '';
      const className = 'cell l' + level + (winner >= 0 ? ' w' + winner : '') + (slot === page.picked ? ' picked' : '');
      if (page.cellText[slot] !== text) {
        page.cells[slot].textContent = text;
        page.cellText[slot] = text;
      }
      if (page.cellClass[slot] !== className) {
        page.cells[slot].className = className;
        page.cellClass[slot] = className;
      }
    }
    renderSlotDetail();
  }

  function renderSlotDetail() {
    const detail = $('slot-detail');
    const selected = page.selected;
    if (page.picked < 0 || !selected) {
      setText(detail, 'Tap or click a slot for its source.');
      return;
    }
    const slot = page.picked;
    const winner = slot < selected.slotCount ? selected.winners[slot] : -1;
    if (winner < 0) {
      setText(detail, 'Slot ' + (slot + 1) + ': no source drives it.');
      return;
    }
    const names = selected.sources.filter((s) => s.colour === winner).map((s) => s.cells[0] + ' (' + s.cells[1] + ')');
    setText(detail, 'Slot ' + (slot + 1) + ': ' + selected.levels[slot] + ' from ' + names.join(' or '));
  }

  // --- the selected universe
  function renderSelected(selected) {
    page.selected = selected || null;
    const sources = selected ? selected.sources : [];
    setText($('grid-title'), selected ? selected.title : 'No sACN source heard yet');
    $('no-sources').hidden = sources.length > 0;
    fillTable($('sources'), sources, (s) => s.cells, (s) => s.state, swatchCell);
    const legend = $('legend');
    while (legend.children.length > sources.length) legend.lastChild.remove();
    sources.forEach((s, i) => {
      let item = legend.children[i];
      if (!item) {
        item = make('li');
        item.append(make('span'), make('span', 'text'));
        legend.append(item);
      }
      setClass(item.firstChild, 'swatch' + (s.colour >= 0 ? ' w' + s.colour : ''));
      setText(item.lastChild, s.legend);
    });
    if (selected && selected.universe !== page.shown) {
      page.shown = selected.universe;
      markShownUniverse();
    }
    renderGrid();
  }

  function renderNodes(nodes) {
    $('no-nodes').hidden = nodes.length > 0;
    fillTable($('nodes'), nodes, (n) => n.cells, (n) => (n.gone ? 'gone' : ''));
  }

  // The latest events as the server sends them (oldest first), shown newest first; the time
  // as the Network window shows it, hh:mm:ss UTC, with the whole of it on hover.
  const kEventPlaces = { sacnSource: 'universe ', artNetSender: 'Port-Address ' };

  function renderEvents(events) {
    $('events').hidden = false;
    const items = events.slice().reverse().map((event) => {
      const item = make('li');
      const place = kEventPlaces[event.subject] ? kEventPlaces[event.subject] + event.universe : '';
      const who = [place, event.name, event.sender, event.detail].filter((t) => t);
      const when = make('span', 'when', String(event.time).slice(11, 19));
      when.title = String(event.time);
      item.append(when, make('span', 'kind', event.kind), make('span', 'who', who.join(' · ')));
      return item;
    });
    $('event-list').replaceChildren(...items);
  }

  // --- connection
  function notify(text) {
    page.notice = text;
    page.noticeUntil = Date.now() + kNoticeMs;
  }

  function showConnection() {
    const now = Date.now();
    const age = page.dataTime ? now - page.dataTime : 0;
    let state;
    let text;
    if (page.failures > 0) {
      state = 'disconnected';
      text = 'Disconnected since ' + seconds(now - page.disconnectedAt) + ', reconnecting…' +
        (page.dataTime ? ' Data shown is ' + seconds(age) + ' old.' : '');
    } else if (!page.dataTime) {
      state = 'connecting';
      text = 'Connecting…';
    } else if (age > kStaleMs) {
      state = 'stale';
      text = 'Stale: the data is ' + seconds(age) + ' old';
    } else {
      state = 'live';
      text = now < page.noticeUntil ? page.notice : 'Live';
    }
    const connection = $('connection');
    setClass(connection, 'connection ' + state);
    setText(connection, text);
    document.body.classList.toggle('old', state !== 'live');
  }

  function apply(data, answeredAt) {
    if (page.startTime && data.startTime !== page.startTime) notify('Live again: the server restarted');
    else if (page.failures > 0) notify('Live again after ' + seconds(answeredAt - page.disconnectedAt));
    page.startTime = data.startTime;
    page.failures = 0;
    page.pollMs = Math.max(250, Number(data.pollMs) || 250);
    page.dataTime = answeredAt - (Number(data.ageMs) || 0);
    setText($('status'), data.status || '');
    if (data.columns) {
      setHeader($('sources'), [''].concat(data.columns.sources));
      setHeader($('nodes'), data.columns.nodes);
    }
    if (Array.isArray(data.universes)) {
      page.universesTag = data.universesTag;
      renderUniverses(data.universes);
    }
    if (Array.isArray(data.nodes)) {
      page.nodesTag = data.nodesTag;
      renderNodes(data.nodes);
    }
    renderSelected(data.selected);
    if (Array.isArray(data.events)) {
      page.eventsTag = data.eventsTag;
      renderEvents(data.events);
    }
  }

  function failed() {
    if (page.failures === 0) page.disconnectedAt = Date.now();
    page.failures += 1;
  }

  function schedule(ms) {
    clearTimeout(page.timer);
    page.timer = setTimeout(poll, Math.max(0, ms));
  }

  function pollSoon() {
    if (page.inFlight) page.again = true;
    else schedule(0);
  }

  async function poll() {
    if (page.inFlight) return;
    page.inFlight = true;
    const started = Date.now();
    const query = new URLSearchParams();
    if (page.chosen) query.set('universe', String(page.chosen));
    if (page.universesTag) query.set('universes', page.universesTag);
    if (page.nodesTag) query.set('nodes', page.nodesTag);
    if (page.eventsTag) query.set('events', page.eventsTag);
    const abort = new AbortController();
    const guard = setTimeout(() => abort.abort(), kTimeoutMs);
    let ok = false;
    try {
      const response = await fetch('live.json?' + query.toString(), { cache: 'no-store', signal: abort.signal });
      if (!response.ok) throw new Error('HTTP ' + response.status);
      const data = await response.json();
      apply(data, Date.now());
      ok = true;
    } catch (error) {
      failed();
    } finally {
      clearTimeout(guard);
      page.inFlight = false;
    }
    showConnection();
    if (page.again) {
      page.again = false;
      schedule(0);
    } else if (!ok) {
      schedule(kRetryMs);
    } else {
      schedule(document.hidden ? kHiddenPollMs : started + page.pollMs - Date.now());
    }
  }

  function start() {
    buildGrid();
    window.addEventListener('resize', buildGrid);  // the style sheet sets the columns per width
    $('universe-select').addEventListener('change', (event) => choose(Number(event.target.value)));
    $('universe-list').addEventListener('click', (event) => {
      const item = event.target.closest('li');
      if (item) choose(Number(item.dataset.universe));
    });
    $('grid').addEventListener('click', (event) => {
      const cell = event.target.closest('.cell');
      if (!cell) return;
      page.picked = Number(cell.dataset.slot);
      renderGrid();
    });
    document.addEventListener('visibilitychange', () => {
      if (!document.hidden) pollSoon();
    });
    setInterval(showConnection, 500);
    poll();
  }

  start();
})();
