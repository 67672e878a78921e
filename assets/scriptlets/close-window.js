function closeWindow(source, args) {
  // Closes pop-under and pop-up windows an ad opened: at once when its
  // path matches. A window the browser will not let a script close (one the
  // user opened) is emptied instead: it goes to about:blank, taking the
  // place of the page in history rather than adding an entry.
  // args: what the path and query of the location ("/path?query") must
  // contain, or "/regex/flags"; without it, every page the rule applies to.
  try {
    const log = (message) => {
      if (source.verbose) {
        console.log(`${source.name}: ${message}`);
      }
    };
    const pattern = String(args[0] ?? '').trim();
    let matches = () => true;
    if (pattern !== '') {
      const regex = /^\/(.+)\/([dimsuv]*)$/.exec(pattern);
      if (regex) {
        try {
          const re = new RegExp(regex[1], regex[2]);
          matches = (text) => re.test(text);
        } catch (e) {
          return;
        }
      } else {
        matches = (text) => text.includes(pattern);
      }
    }
    const path = window.location.pathname + window.location.search;
    if (!matches(path)) {
      return;
    }
    log(`closing the window at ${path}`);
    window.close();
    if (!window.closed) {
      log('the window cannot be closed by a script: blanking it');
      window.location.replace('about:blank');
    }
  } catch (e) {
    // A scriptlet never breaks the page.
  }
}
