function setCookieReload(source, args) {
  // Like set-cookie, for sites that read the cookie only on the server: when
  // the cookie did not have the value yet, it is set and the page reloaded
  // once, so the server sees it. After the reload the cookie is there and
  // nothing happens; when the browser refuses the cookie there is no reload
  // either, so no loop.
  // args: cookie name, value, and optionally the path ("/" by default, "none"
  // for the current path). Only values that carry no data are accepted:
  // true/false, yes/no, y/n, on/off, ok, accept(ed)/reject(ed),
  // allow(ed)/deny/denied/disallow, enable(d)/disable(d), necessary,
  // essential, required, hide/hidden, checked/unchecked, dismiss(ed), an
  // integer 0..32767, or empty.
  try {
    const log = (message) => {
      if (source.verbose) {
        console.log(`${source.name}: ${message}`);
      }
    };
    const name = String(args[0] ?? '').trim();
    const value = String(args[1] ?? '').trim();
    const pathArg = String(args[2] ?? '').trim();

    // Names may hold no separator, space or control character.
    if (name === '' || /[\s;,=\x00-\x1f\x7f]/.test(name)) {
      return;
    }
    const safeWords = ['true', 'false', 'yes', 'no', 'y', 'n', 'on', 'off', 'ok', 'accept', 'accepted',
                       'reject', 'rejected', 'allow', 'allowed', 'deny', 'denied', 'disallow',
                       'enable', 'enabled', 'disable', 'disabled', 'necessary', 'essential',
                       'required', 'hide', 'hidden', 'checked', 'unchecked', 'dismiss', 'dismissed'];
    const isSafe = value === '' || safeWords.includes(value.toLowerCase()) ||
      (/^\d+$/.test(value) && Number(value) <= 32767);
    if (!isSafe) {
      return;
    }
    let pathAttribute;
    if (pathArg === '' || pathArg === '/') {
      pathAttribute = '; path=/';
    } else if (pathArg === 'none') {
      pathAttribute = '';
    } else {
      return;
    }

    const currentValue = () => {
      for (const pair of document.cookie.split(';')) {
        const eq = pair.indexOf('=');
        const key = (eq === -1 ? '' : pair.slice(0, eq)).trim();
        if (key === name) {
          return pair.slice(eq + 1).trim();
        }
      }
      return null;
    };
    if (currentValue() === value) {
      return;
    }
    document.cookie = `${name}=${value}${pathAttribute}`;
    if (currentValue() !== value) {
      return;
    }
    log(`set cookie ${name}=${value}, reloading`);
    window.location.reload();
  } catch (e) {
    // A scriptlet never breaks the page.
  }
}
