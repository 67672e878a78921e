function setLocalStorageItem(source, args) {
  // Answers "already shown the popup" or "consent given" checks kept in
  // localStorage by writing the item they look for.
  // args: the key, and the value: one of undefined, false, true, null,
  // emptyObj ("{}"), emptyArr ("[]"), '' or "" or emptyStr (empty text),
  // yes, no, on, off, accept(ed), reject(ed), allow(ed), deny/denied, ok,
  // an integer 0..32767, or "$remove$" to delete the item; with "$remove$"
  // the key may be "/regex/flags" to delete every matching item. Any other
  // value, or no value at all, changes nothing.
  try {
    const log = (message) => {
      if (source.verbose) {
        console.log(`${source.name}: ${message}`);
      }
    };
    const key = String(args[0] ?? '');
    if (key === '' || args.length < 2) {
      return;
    }
    const valueArg = String(args[1] ?? '').trim();

    let storage;
    try {
      storage = window.localStorage;
    } catch (e) {
      // Storage refused to this page (sandboxed frame, blocked cookies).
      return;
    }
    if (!storage) {
      return;
    }

    if (valueArg === '$remove$') {
      const regex = /^\/(.+)\/([dimsuv]*)$/.exec(key);
      if (!regex) {
        storage.removeItem(key);
        log(`removed ${key}`);
        return;
      }
      const re = new RegExp(regex[1], regex[2]);
      // Keys first, then deletion: removing while indexing would skip some.
      const keys = [];
      for (let i = 0; i < storage.length; i += 1) {
        keys.push(storage.key(i));
      }
      keys.filter((k) => k !== null && re.test(k)).forEach((k) => {
        storage.removeItem(k);
        log(`removed ${k}`);
      });
      return;
    }

    const words = {
      undefined: 'undefined', false: 'false', true: 'true', null: 'null',
      emptyObj: '{}', emptyArr: '[]', emptyStr: '', "''": '', '""': '', '': '',
      yes: 'yes', no: 'no', on: 'on', off: 'off', ok: 'ok',
      accept: 'accept', accepted: 'accepted', reject: 'reject', rejected: 'rejected',
      allow: 'allow', allowed: 'allowed', deny: 'deny', denied: 'denied',
    };
    let value;
    if (Object.prototype.hasOwnProperty.call(words, valueArg)) {
      value = words[valueArg];
    } else if (/^\d+$/.test(valueArg) && Number(valueArg) <= 32767) {
      value = valueArg;
    } else {
      return;
    }
    if (storage.getItem(key) === value) {
      return;
    }
    storage.setItem(key, value);
    log(`set ${key}=${value}`);
  } catch (e) {
    // A scriptlet never breaks the page.
  }
}
