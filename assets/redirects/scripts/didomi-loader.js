// Stands in for the Didomi consent platform's loader: window.Didomi answers
// that no consent is required and none was given, the IAB TCF v2 entry point
// __tcfapi answers that GDPR does not apply, and the page's didomiOnReady
// callbacks and didomiEventListeners are served as the real loader serves them.
(function() {
    'use strict';
    var noop = function() {};

    // Runs a callback of the page; its error surfaces in a task of its own
    // instead of stopping this script.
    var run = function(callback, args) {
        try {
            callback.apply(null, args);
        } catch (error) {
            setTimeout(function() {
                throw error;
            }, 0);
        }
    };

    var emptyStatus = function() {
        return {enabled: [], disabled: []};
    };

    var Didomi = {
        version: '',
        isReady: function() {
            return true;
        },
        isConsentRequired: function() {
            return false;
        },
        shouldConsentBeCollected: function() {
            return false;
        },
        isUserConsentStatusPartial: function() {
            return false;
        },
        getUserConsentStatusForPurpose: function() {
            return false;
        },
        getUserConsentStatusForVendor: function() {
            return false;
        },
        getUserConsentStatusForVendorAndRequiredPurposes: function() {
            return false;
        },
        getUserConsentStatusForAll: function() {
            return {purposes: emptyStatus(), vendors: emptyStatus()};
        },
        getUserStatus: function() {
            return {
                purposes: {
                    consent: emptyStatus(),
                    legitimate_interest: emptyStatus(),
                    global: emptyStatus(),
                },
                vendors: {
                    consent: emptyStatus(),
                    legitimate_interest: emptyStatus(),
                    global: emptyStatus(),
                },
                user_id: '',
                created: '',
                updated: '',
                consent_string: '',
                addtl_consent: '',
            };
        },
        getRequiredPurposes: function() {
            return [];
        },
        getRequiredVendors: function() {
            return [];
        },
        getRequiredPurposeIds: function() {
            return [];
        },
        getRequiredVendorIds: function() {
            return [];
        },
        getConfig: function() {
            return {};
        },
        getCurrentUserStatus: function() {
            return Didomi.getUserStatus();
        },
        getObservableOnUserConsentStatusForVendor: function() {
            return {
                subscribe: noop,
                filter: function() {
                    return this;
                },
                first: function() {
                    return this;
                },
            };
        },
        // on(event, listener): no consent event ever happens.
        on: noop,
        setUserStatus: noop,
        setUserAgreeToAll: noop,
        setUserDisagreeToAll: noop,
        openTransaction: function() {
            return {
                enablePurpose: noop,
                enablePurposes: noop,
                disablePurpose: noop,
                disablePurposes: noop,
                enableVendor: noop,
                enableVendors: noop,
                disableVendor: noop,
                disableVendors: noop,
                commit: noop,
            };
        },
        reset: noop,
        notice: {
            isVisible: function() {
                return false;
            },
            show: noop,
            hide: noop,
            configure: noop,
        },
        preferences: {
            isVisible: function() {
                return false;
            },
            show: noop,
            hide: noop,
        },
    };
    window.Didomi = Didomi;

    // __tcfapi(command, version, callback, parameter): every answer says that
    // GDPR does not apply, which is what a page without a consent manager sees.
    var tcData = function(listenerId) {
        return {
            tcString: '',
            tcfPolicyVersion: 2,
            cmpId: 0,
            cmpVersion: 0,
            gdprApplies: false,
            eventStatus: 'tcloaded',
            cmpStatus: 'loaded',
            listenerId: listenerId,
            isServiceSpecific: true,
            useNonStandardTexts: false,
            publisherCC: '',
            purposeOneTreatment: false,
            purpose: {consents: {}, legitimateInterests: {}},
            vendor: {consents: {}, legitimateInterests: {}},
            specialFeatureOptins: {},
            publisher: {
                consents: {},
                legitimateInterests: {},
                customPurpose: {consents: {}, legitimateInterests: {}},
                restrictions: {},
            },
        };
    };
    var nextListenerId = 1;
    window.__tcfapi = function(command, version, callback) {
        if (typeof callback !== 'function') {
            return;
        }
        if (command === 'ping') {
            run(callback, [{
                gdprApplies: false,
                cmpLoaded: true,
                cmpStatus: 'loaded',
                displayStatus: 'hidden',
                apiVersion: '2.0',
                cmpVersion: 0,
                cmpId: 0,
                gvlVersion: 0,
                tcfPolicyVersion: 2,
            }]);
        } else if (command === 'getTCData') {
            run(callback, [tcData(undefined), true]);
        } else if (command === 'addEventListener') {
            run(callback, [tcData(nextListenerId++), true]);
        } else if (command === 'removeEventListener') {
            run(callback, [true]);
        } else {
            run(callback, [null, false]);
        }
    };

    // The page queues functions in didomiOnReady, to be called with Didomi
    // once it is ready; from now on it is ready, so pushes run at once.
    var ready = Array.isArray(window.didomiOnReady) ? window.didomiOnReady : [];
    window.didomiOnReady = {
        push: function() {
            for (var i = 0; i < arguments.length; i++) {
                if (typeof arguments[i] === 'function') {
                    run(arguments[i], [Didomi]);
                }
            }
            return 0;
        },
    };
    window.didomiOnReady.push.apply(window.didomiOnReady, ready);

    // Listeners for the "ready" event get it; consent events never come.
    var listeners = Array.isArray(window.didomiEventListeners) ? window.didomiEventListeners : [];
    var onEvent = function(entry) {
        if (entry && entry.event === 'ready' && typeof entry.listener === 'function') {
            run(entry.listener, [Didomi]);
        }
    };
    window.didomiEventListeners = {
        push: function() {
            Array.prototype.forEach.call(arguments, onEvent);
            return 0;
        },
    };
    listeners.forEach(onEvent);
})();
