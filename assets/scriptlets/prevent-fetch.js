function preventFetch(source, args) {
  // Matching fetch() calls never go out: they resolve with a made-up 200
  // response, so a script that checks whether its ad request got through
  // sees it did.
  // args:
  //   1. what to match, space-separated, all of it required: "*" matches
  //      every call; "key:value" compares a request property (url, method,
  //      headers, body, credentials, cache, redirect, referrer,
  //      referrerPolicy, integrity, keepalive, mode); any other word is
  //      matched against the URL. Values are substrings or "/regex/flags".
  //      Example: "url:/ads\.js/ method:POST".
  //   2. the response body: "emptyObj" ("{}", the default), "emptyArr"
  //      ("[]") or "emptyStr" ("").
  //   3. the response type the page sees: "basic" (default), "cors",
  //      "opaque" or "default".
  // An empty first argument changes nothing (verbose mode logs the calls).
  try {
    const log = (message) => {
      if (source.verbose) {
        console.log(`${source.name}: ${message}`);
      }
    };
    if (typeof window.fetch !== 'function') {
      return;
    }
    const propsArg = String(args[0] ?? '').trim();
    const bodies = { '': '{}', emptyObj: '{}', emptyArr: '[]', emptyStr: '' };
    const bodyArg = String(args[1] ?? '').trim();
    const typeArg = String(args[2] ?? '').trim() || 'basic';
    if (!(bodyArg in bodies) || !['basic', 'cors', 'opaque', 'default'].includes(typeArg)) {
      return;
    }
    const body = bodies[bodyArg];

    const toMatcher = (pattern) => {
      const regex = /^\/(.+)\/([dimsuv]*)$/.exec(pattern);
      if (regex) {
        const re = new RegExp(regex[1], regex[2]);
        return (text) => re.test(text);
      }
      return (text) => text.includes(pattern);
    };
    const knownKeys = ['url', 'method', 'headers', 'body', 'credentials', 'cache', 'redirect',
                       'referrer', 'referrerPolicy', 'integrity', 'keepalive', 'mode'];
    // [key, matcher] pairs; null when the argument cannot be read.
    const parseProps = (text) => {
      if (text === '' || text === '*') {
        return [];
      }
      const pairs = [];
      for (const token of text.split(/\s+/)) {
        const pair = /^([A-Za-z]+):(.+)$/.exec(token);
        if (pair && knownKeys.includes(pair[1])) {
          pairs.push([pair[1], toMatcher(pair[2])]);
        } else {
          pairs.push(['url', toMatcher(token)]);
        }
      }
      return pairs;
    };
    let pairs = null;
    if (propsArg !== '') {
      try {
        pairs = parseProps(propsArg);
      } catch (e) {
        return;
      }
    }

    // The properties of a call, from a Request or a URL and its init object.
    const describeCall = (input, init) => {
      const details = { method: 'GET' };
      if (typeof Request !== 'undefined' && input instanceof Request) {
        for (const key of knownKeys) {
          if (key !== 'body' && input[key] !== undefined) {
            details[key] = input[key];
          }
        }
      } else {
        details.url = new URL(String(input), document.baseURI).href;
      }
      if (init !== null && typeof init === 'object') {
        for (const key of knownKeys) {
          if (key !== 'url' && init[key] !== undefined) {
            details[key] = init[key];
          }
        }
      }
      details.method = String(details.method).toUpperCase();
      return details;
    };
    const stringOf = (value) => {
      if (value instanceof Headers) {
        return [...value].map(([k, v]) => `${k}: ${v}`).join('\n');
      }
      if (value !== null && typeof value === 'object' && !(value instanceof Blob) &&
          !(value instanceof FormData) && !(value instanceof ArrayBuffer)) {
        try {
          return JSON.stringify(value);
        } catch (e) {
          return String(value);
        }
      }
      return String(value);
    };
    const callMatches = (details) => pairs.every(([key, matches]) =>
      details[key] !== undefined && matches(stringOf(details[key])));

    const fakeResponse = (details) => {
      const isJson = body !== '';
      const response = new Response(body, {
        status: 200,
        statusText: 'OK',
        headers: { 'content-type': isJson ? 'application/json' : 'text/plain' },
      });
      // A constructed Response has no URL and type "default": make it look
      // like it came from the network.
      Object.defineProperties(response, {
        url: { value: details.url ?? '', configurable: true },
        type: { value: typeArg, configurable: true },
        redirected: { value: false, configurable: true },
      });
      if (typeArg === 'opaque') {
        // What a no-cors answer looks like: no status, nothing readable.
        Object.defineProperties(response, {
          status: { value: 0, configurable: true },
          statusText: { value: '', configurable: true },
          ok: { value: false, configurable: true },
        });
      }
      return response;
    };

    window.fetch = new Proxy(window.fetch, {
      apply(target, thisArg, callArgs) {
        let details = null;
        try {
          details = describeCall(callArgs[0], callArgs[1]);
        } catch (e) {
          // Let fetch itself reject what it cannot read.
        }
        if (details === null) {
          return Reflect.apply(target, thisArg, callArgs);
        }
        if (pairs === null) {
          log(`fetch ${details.method} ${details.url}`);
          return Reflect.apply(target, thisArg, callArgs);
        }
        let prevent = false;
        try {
          prevent = callMatches(details);
        } catch (e) {
          // Not matched.
        }
        if (!prevent) {
          return Reflect.apply(target, thisArg, callArgs);
        }
        log(`prevented fetch ${details.method} ${details.url}`);
        return Promise.resolve(fakeResponse(details));
      },
    });
  } catch (e) {
    // A scriptlet never breaks the page.
  }
}
